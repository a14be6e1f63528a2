// The exports of libMirelle.so over one WebDAV session. Nothing may escape them:
// every export catches what the C++ underneath could throw.
#include "cloud/mirelle.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cloud/webdav.h"
#include "platform/activity_log.h"
#include "platform/export_guard.h"
#include "platform/text.h"

namespace {

using ostrel::cloud::DavAccount;
using ostrel::cloud::DavClient;
using ostrel::cloud::DavFolder;
using ostrel::cloud::DavOutcome;
using ostrel::platform::utf16ToUtf8;
using ostrel::platform::utf8ToUtf16;

// The node the callers see, with the storage of its texts behind it.
struct Node : NvFolderNode {
  Node(const Node* parentNode, const DavFolder& folder, const DavClient& client)
      : NvFolderNode{}, titleText(utf8ToUtf16(folder.title)), hrefText(utf8ToUtf16(folder.href)),
        urlText(utf8ToUtf16(client.urlOf(folder.href))), href(folder.href) {
    parent = parentNode;
    title = titleText.c_str();
    identifier = hrefText.c_str();
    url = urlText.c_str();
    subfolderCount = -1;
  }
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  const std::u16string titleText, hrefText, urlText;
  const std::string href;
  std::vector<std::unique_ptr<Node>> children;
  const Node* next = nullptr;
};

struct Session {
  explicit Session(DavAccount account) : client(std::move(account)) {}
  DavClient client;
  std::unique_ptr<Node> root;
};

// The process's one session: the C interface has no handle to carry it.
struct Library {
  std::mutex mutex;
  std::optional<Session> session;
};

Library& library() {
  static Library instance;
  return instance;
}

std::string text(const char16_t* value) { return value ? utf16ToUtf8(value) : std::string(); }

std::string withScheme(std::string server) {
  if (server.find("://") == std::string::npos) server = "https://" + server;
  if (server.back() != '/') server += '/';
  return server;
}

// The root's title: the last segment of the base URL, else the host.
std::string rootTitle(const std::string& baseUrl) {
  std::string title = ostrel::cloud::lastSegment(baseUrl);
  if (title.empty()) {
    const std::size_t host = baseUrl.find("://") + 3;
    title = baseUrl.substr(host, baseUrl.find('/', host) - host);
  }
  return title;
}

void listChildren(const Session& session, Node& node) {
  std::vector<DavFolder> folders;
  const DavOutcome outcome = session.client.listFolders(node.href, folders);
  if (!outcome.ok()) {
    ostrel::Log("Cloud folder list failed: " + outcome.message);
    node.subfolderCount = 0;
    return;
  }
  node.children.reserve(folders.size());
  for (const DavFolder& folder : folders) {
    node.children.push_back(std::make_unique<Node>(&node, folder, session.client));
    if (node.children.size() > 1) node.children[node.children.size() - 2]->next = node.children.back().get();
  }
  node.subfolderCount = static_cast<std::int32_t>(node.children.size());
}

template <typename Result, typename Call>
Result guarded(Result failure, Call call) noexcept {
  return ostrel::platform::guardExport(failure, call,
                                       [](const std::string& what) { ostrel::Log("Cloud client library: " + what); });
}

}  // namespace

extern "C" {

int NV_Client_Login(const char16_t* server, const char16_t*, int, const char16_t* user, const char16_t* password) {
  return guarded<int>(NV_LOGIN_UNREACHABLE, [&] {
    const std::string base = text(server);
    if (base.empty() || !user || !password) return static_cast<int>(NV_LOGIN_BAD_ARGUMENT);
    Library& state = library();
    const std::lock_guard lock(state.mutex);
    state.session.reset();
    Session session(DavAccount{withScheme(base), text(user), text(password)});
    const DavOutcome outcome = session.client.checkLogin();
    if (outcome.status == DavOutcome::Status::refused) {
      ostrel::Log("Cloud login refused: " + outcome.message);
      return static_cast<int>(NV_LOGIN_REFUSED);
    }
    if (!outcome.ok()) {
      ostrel::Log("Cloud login failed: " + outcome.message);
      return static_cast<int>(NV_LOGIN_UNREACHABLE);
    }
    const std::string baseUrl = session.client.account().baseUrl;
    session.root = std::make_unique<Node>(nullptr, DavFolder{baseUrl, rootTitle(baseUrl)}, session.client);
    state.session.emplace(std::move(session));
    return static_cast<int>(NV_LOGIN_OK);
  });
}

int NV_Client_Logoff(void) {
  return guarded<int>(0, [] {
    Library& state = library();
    const std::lock_guard lock(state.mutex);
    state.session.reset();
    return 0;
  });
}

const NvFolderNode* NV_Get_Root(const NvFolderNode** slot) {
  return guarded<const NvFolderNode*>(nullptr, [&]() -> const NvFolderNode* {
    Library& state = library();
    const std::lock_guard lock(state.mutex);
    const NvFolderNode* root = state.session ? state.session->root.get() : nullptr;
    if (slot) *slot = root;
    return root;
  });
}

const NvFolderNode* NV_Get_FirstChild(const NvFolderNode* node) {
  return guarded<const NvFolderNode*>(nullptr, [&]() -> const NvFolderNode* {
    if (!node) return nullptr;
    Library& state = library();
    const std::lock_guard lock(state.mutex);
    if (!state.session) return nullptr;
    // Nodes are ours: a node handed out by this session is a Node.
    Node& own = const_cast<Node&>(static_cast<const Node&>(*node));
    if (own.subfolderCount < 0) listChildren(*state.session, own);
    return own.children.empty() ? nullptr : own.children.front().get();
  });
}

const NvFolderNode* NV_Get_NextFolder(const NvFolderNode* node) {
  return guarded<const NvFolderNode*>(nullptr, [&]() -> const NvFolderNode* {
    return node ? static_cast<const Node*>(node)->next : nullptr;
  });
}

}  // extern "C"
