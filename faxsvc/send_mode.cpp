#include "faxsvc/send_mode.h"

#include "faxsvc/format.h"
#include "faxsvc/result_file.h"
#include "faxsvc/spool_files.h"
#include "platform/environment.h"
#include "platform/ini_file.h"

namespace ostrel::fax {

namespace {

using platform::joinPath;

constexpr int kPageReads = 10;
constexpr int kPageReadPause = 5;

}  // namespace

void SendMode::dropJob(const SendJob& job, const std::string& why) {
  c_.log.write(format("Job %d (%s) dropped: %s", job.number, job.fod.c_str(), why.c_str()));
  if (!job.receivers.empty()) writeResultValue(c_.paths.resultFile(job.fod), "intState", kStateRefused);
}

bool SendMode::sendPending(FaxLink& link) {
  const auto job = c_.jobs.take();
  if (!job) return false;
  if (repetitionArmed_ && !job->receivers.empty() && job->documents == lastDocuments_) {
    dropJob(*job, "the same documents as the job answered just before");
    return false;
  }

  FaxJobFields fields{job->fod, job->country, job->receivers, job->sender, job->title, job->convert,
                      !c_.paths.tif.empty(), {}};
  std::uint64_t loaded = 0;
  for (const auto& name : job->documents) {
    if (name.empty()) {
      c_.log.write("GetStrFromIndex() returned NULL string.");
      dropJob(*job, "a document name is empty");
      return false;
    }
    if (!isSafeFileName(name)) {
      dropJob(*job, name + " is not a plain file name");
      return false;
    }
    const std::string path = joinPath(joinPath(c_.paths.send, job->date), name);
    const std::uint64_t size = fileLength(path, c_.log);
    // Each document fits a message, but many together need not: stop before
    // holding more than one message's worth in memory.
    loaded += size;
    if (loaded > kMaxMessageSize) {
      dropJob(*job, "the documents are too large for one message");
      return false;
    }
    auto content = size != 0 ? readFileBytes(path, size) : std::nullopt;
    if (!content) {
      dropJob(*job, path + " cannot be read");
      return false;
    }
    fields.documents.push_back({name, std::move(*content)});
  }
  const auto message = buildFaxJob(fields);
  if (!message) {
    dropJob(*job, message.error);
    return false;
  }
  link.send(*message.value);
  lastDocuments_ = job->documents;
  repetitionArmed_ = false;
  return true;
}

void SendMode::handle(const MessageView& message, FaxLink&, const Credentials&) {
  if (message.type() == message_type::kSendAck2) onSendAck(message);
  if (message.type() == message_type::kConversionAck) onConversionAck(message);
}

// An answer for a job that is not (or no longer) here has nowhere to go, and
// the pages it may bring are not stored either.
std::optional<std::string> SendMode::resultFileOf(const char* answer, const std::string& fod) {
  if (!isSafeFileName(fod + ".rlt")) {
    c_.log.write(format("%s: job identifier %s refused.", answer, fod.c_str()));
    return std::nullopt;
  }
  std::string path = c_.paths.resultFile(fod);
  if (!platform::fileExists(path)) {
    c_.log.write(format("%s: I cannot find %s.", answer, path.c_str()));
    return std::nullopt;
  }
  return path;
}

void SendMode::onSendAck(const MessageView& message) {
  const auto parsed = parseSendAck(message);
  if (!parsed) {
    c_.log.write("Error in FAX_SEND_ACK2: " + parsed.error);
    return;
  }
  const SendAck& ack = *parsed.value;
  if (ack.isFinalAnswer()) repetitionArmed_ = true;
  const auto path = resultFileOf("FAX_SEND_ACK2", ack.fod);
  if (!path) return;
  std::string tifNames;
  std::uint32_t pages = ack.pages;
  if (ack.state == kStateConverted) {
    tifNames = storeReturnedFiles(ack.files);
    if (pages == 0) pages = waitForPages(*path);
  }
  writeResultValue(*path, "intState", ack.state);
  writeResultValue(*path, "intPages", format("%u", pages));
  writeResultValue(*path, "strTifNames", tifNames);
}

void SendMode::onConversionAck(const MessageView& message) {
  const auto parsed = parseConversionAck(message);
  if (!parsed) {
    c_.log.write("Error in FAX_CONV_ACK: " + parsed.error);
    return;
  }
  const ConversionAck& ack = *parsed.value;
  const auto path = resultFileOf("FAX_CONV_ACK", ack.fod);
  if (!path) return;
  const std::string tifNames = ack.success ? storeReturnedFiles(ack.files) : std::string();
  writeResultValue(*path, "intState", ack.success ? kStateConverted : kStateRefused);
  writeResultValue(*path, "strTifNames", tifNames);
  writeResultValue(*path, "intPages", format("%u", ack.success ? ack.pages : 0u));
}

std::string SendMode::storeReturnedFiles(const std::vector<ReturnedFile>& files) {
  platform::createFolder(c_.paths.tif);
  std::string names;
  for (std::size_t i = 0; i < files.size(); ++i) {
    // Thousands of files take a while; a stopping service does not wait for them.
    if (c_.stop.isSet()) {
      c_.log.write(format("Stopping: %zu of %zu returned files not stored.", files.size() - i, files.size()));
      break;
    }
    const std::string name(files[i].name);
    if (!isSafeFileName(name)) {
      c_.log.write("Returned file name \"" + name + "\" is not a plain file name; refused.");
      continue;
    }
    const auto written = tifFiles_.write(name, files[i].content);
    if (!written) {
      c_.log.write("OutputToFile() failed. FileName: " + name);
      continue;
    }
    if (!names.empty()) names += ',';
    names += *written;
  }
  return names;
}

// A converted job answered without a page count: the count may yet arrive in
// the result file, so it is read a few times before 0 is accepted.
std::uint32_t SendMode::waitForPages(const std::string& resultPath) {
  for (int read = 1; read <= kPageReads; ++read) {
    const int pages = platform::GetPrivateProfileInt(kResultSection, "intPages", 0, resultPath);
    if (pages >= 1) return static_cast<std::uint32_t>(pages);
    if (read < kPageReads && c_.stop.waitFor(c_.timing.seconds(kPageReadPause))) break;
  }
  return 0;
}

}  // namespace ostrel::fax
