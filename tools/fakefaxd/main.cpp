// fakefaxd: the fax server stand-in for demos. Listens on 127.0.0.1, answers
// every exchange of the fax protocol as its options say, prints one line per
// message it receives, and runs until interrupted.
#include <getopt.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "tools/fakefaxd/fake_fax_server.h"

namespace {

using namespace ostrel::fakefax;

void usage() {
  std::puts(
      "usage: fakefaxd [options]\n"
      "  --port N             port on 127.0.0.1 (default 24000, 0 picks a free one)\n"
      "  --login-status N     status of every login answer (0 accepts)\n"
      "  --credit N           credit answered to credit queries\n"
      "  --own-number TEXT    number answered to own-number queries\n"
      "  --result C           result character of send answers (I, another, or 0)\n"
      "  --send-status N      status byte of send answers (1 with result 0: finished)\n"
      "  --pages N            page count of converted jobs\n"
      "  --tiff FILE          a file returned with converted jobs and conversions (repeatable)\n"
      "  --conv-result N      result byte of conversion answers (0 succeeds)\n"
      "  --fax FILE           a file delivered as an incoming fax (repeatable)\n"
      "  --report-code CCC    result code of transmission reports\n"
      "  --unacked-reports    send reports that want no acknowledgement\n"
      "  --quiet              print nothing per message");
}

std::optional<Bytes> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string baseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  enum {
    kPort = 1, kLogin, kCredit, kNumber, kResult, kStatus, kPages, kTiff, kConv, kFax, kCode, kUnacked, kQuiet
  };
  const option options[] = {
      {"port", required_argument, nullptr, kPort},       {"login-status", required_argument, nullptr, kLogin},
      {"credit", required_argument, nullptr, kCredit},   {"own-number", required_argument, nullptr, kNumber},
      {"result", required_argument, nullptr, kResult},   {"send-status", required_argument, nullptr, kStatus},
      {"pages", required_argument, nullptr, kPages},     {"tiff", required_argument, nullptr, kTiff},
      {"conv-result", required_argument, nullptr, kConv},
      {"fax", required_argument, nullptr, kFax},         {"report-code", required_argument, nullptr, kCode},
      {"unacked-reports", no_argument, nullptr, kUnacked}, {"quiet", no_argument, nullptr, kQuiet},
      {"help", no_argument, nullptr, 'h'},               {nullptr, 0, nullptr, 0}};

  unsigned port = 24000;
  SendAnswer send;
  ConversionAnswer conversion;
  ReportAnswer report;
  std::vector<IncomingFax> faxes;
  unsigned loginStatus = 0;
  unsigned long credit = 0;
  std::string ownNumber = "0299990000";
  bool quiet = false;
  for (int option; (option = getopt_long(argc, argv, "h", options, nullptr)) != -1;) {
    const std::string value = optarg ? optarg : "";
    switch (option) {
      case kPort: port = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10)); break;
      case kLogin: loginStatus = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10)); break;
      case kCredit: credit = std::strtoul(optarg, nullptr, 10); break;
      case kNumber: ownNumber = value; break;
      case kResult: send.result = value == "0" ? 0 : value.empty() ? 0 : value[0]; break;
      case kStatus: send.status = static_cast<std::uint8_t>(std::strtoul(optarg, nullptr, 10)); break;
      case kPages:
        send.pages = static_cast<std::uint32_t>(std::strtoul(optarg, nullptr, 10));
        conversion.pages = send.pages;
        break;
      case kConv: conversion.result = static_cast<std::uint8_t>(std::strtoul(optarg, nullptr, 10)); break;
      case kCode: report.resultCode = value; break;
      case kUnacked: report.acknowledged = false; break;
      case kQuiet: quiet = true; break;
      case kTiff:
      case kFax: {
        auto content = readBytes(value);
        if (!content) {
          std::fprintf(stderr, "fakefaxd: cannot read %s\n", value.c_str());
          return 2;
        }
        if (option == kTiff) {
          conversion.files.push_back({baseName(value), *content});
          send.files.push_back({baseName(value), std::move(*content)});
        } else {
          IncomingFax fax;
          fax.fileName = baseName(value);
          fax.content = std::move(*content);
          faxes.push_back(std::move(fax));
        }
        break;
      }
      case 'h': usage(); return 0;
      default: usage(); return 2;
    }
  }
  if (port > 65535) {
    std::fputs("fakefaxd: the port must be at most 65535\n", stderr);
    return 2;
  }

  // Signals are taken synchronously below, so the server's threads never see them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  FakeFaxServer server(static_cast<std::uint16_t>(port));
  if (!server.listening()) {
    std::fprintf(stderr, "fakefaxd: cannot listen on 127.0.0.1:%u\n", port);
    return 1;
  }
  server.setLoginStatus(static_cast<std::uint8_t>(loginStatus));
  server.setCredit(static_cast<std::uint32_t>(credit));
  server.setOwnNumber(ownNumber);
  server.setSendAnswer(send);
  server.setConversionAnswer(conversion);
  server.setReportAnswer(report);
  for (auto& fax : faxes) server.queueIncomingFax(std::move(fax));
  if (!quiet) {
    server.setObserver([](const Received& r) {
      std::printf("connection %d (purpose %u): message type %u, %zu bytes\n", r.connection, r.purpose, r.type,
                  r.bytes.size());
      std::fflush(stdout);
    });
  }
  std::printf("fakefaxd listening on 127.0.0.1:%u\n", server.port());
  std::fflush(stdout);

  int received = 0;
  sigwait(&signals, &received);
  return 0;
}
