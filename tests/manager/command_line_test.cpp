#include "app/core/command_line.h"

#include <gtest/gtest.h>

#include <cctype>

namespace ostrel {
namespace {

struct Event {
  const char* identifier;
  int code;
};

constexpr Event kEvents[] = {
    {"{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}", 0},  {"{2f596c80-76ec-11da-aafd-0050ba1aca6f}", 1},
    {"{556b9161-dd64-11d7-aafb-0050ba1aca6f}", 11}, {"{2f596c81-76ec-11da-aafd-0050ba1aca6f}", 2},
    {"{556b9162-dd64-11d7-aafb-0050ba1aca6f}", 12}, {"{2f596c82-76ec-11da-aafd-0050ba1aca6f}", 3},
    {"{556b9163-dd64-11d7-aafb-0050ba1aca6f}", 13}, {"{2f596c83-76ec-11da-aafd-0050ba1aca6f}", 4},
    {"{d87c0860-dd6d-11d7-aafb-0050ba1aca6f}", 14}, {"{2f596c84-76ec-11da-aafd-0050ba1aca6f}", 5},
    {"{d87c0861-dd6d-11d7-aafb-0050ba1aca6f}", 15}, {"{2f596c85-76ec-11da-aafd-0050ba1aca6f}", 6},
    {"{d87c0862-dd6d-11d7-aafb-0050ba1aca6f}", 16}, {"{2f596c86-76ec-11da-aafd-0050ba1aca6f}", 7},
    {"{d87c0863-dd6d-11d7-aafb-0050ba1aca6f}", 17}, {"{2f596c87-76ec-11da-aafd-0050ba1aca6f}", 8},
    {"{d87c0864-dd6d-11d7-aafb-0050ba1aca6f}", 18}, {"{2f596c88-76ec-11da-aafd-0050ba1aca6f}", 9},
    {"{d87c0865-dd6d-11d7-aafb-0050ba1aca6f}", 19},
};

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST(EventCode, EveryIdentifierInEitherCase) {
  for (const Event& event : kEvents) {
    EXPECT_EQ(eventCode(event.identifier), event.code) << event.identifier;
    EXPECT_EQ(eventCode(upper(event.identifier)), event.code) << event.identifier;
  }
  EXPECT_EQ(eventCode("Configuration"), 10);
  EXPECT_EQ(eventCode("CONFIGURATION"), 10);
}

TEST(EventCode, AnythingElseClosesTheManager) {
  EXPECT_EQ(eventCode(""), -1);
  EXPECT_EQ(eventCode("{2f596c89-76ec-11da-aafd-0050ba1aca6f}"), -1);
  // The whole text must match: a trailing blank is another event.
  EXPECT_EQ(eventCode("{2f596c80-76ec-11da-aafd-0050ba1aca6f} "), -1);
  EXPECT_EQ(eventCode("Configure"), -1);
}

TEST(EventCode, ButtonAndKind) {
  EXPECT_EQ(eventButton(3), 3);
  EXPECT_EQ(eventKind(3), 1);
  EXPECT_EQ(eventButton(13), 3);
  EXPECT_EQ(eventKind(13), 2);
  // "Configuration" reaches a running manager as button 0 of kind 2.
  EXPECT_EQ(eventButton(10), 0);
  EXPECT_EQ(eventKind(10), 2);
}

TEST(CommandLine, QuotedAndSplitArgumentsReadTheSame) {
  const CommandLine quoted = commandLineOf({"/opt/ostrel/OBX", "/StiDevice:usb:1 /StiEvent:Configuration"});
  const CommandLine split = commandLineOf({"/opt/ostrel/OBX", "/StiDevice:usb:1", "/StiEvent:Configuration"});
  EXPECT_EQ(quoted.text, split.text);
  EXPECT_EQ(stiDeviceName(split.text), "usb:1");
  EXPECT_EQ(stiEventText(split.text), "Configuration");
  EXPECT_EQ(split.program, "/opt/ostrel/OBX");
  EXPECT_EQ(split.arguments.size(), 2u);
}

TEST(CommandLine, DeviceNameNeedsABlankAfterIt) {
  EXPECT_EQ(stiDeviceName("OBX /StiDevice:usb:1"), std::nullopt);
  EXPECT_EQ(stiDeviceName("OBX /StiDevice:usb:1 "), "usb:1");
  EXPECT_EQ(stiDeviceName("OBX /StiEvent:x"), std::nullopt);
}

TEST(CommandLine, EventTextWithoutItsSwitchStartsAtTheTenthCharacter) {
  EXPECT_EQ(stiEventText("/opt/OBX /StiDevice:a b"), "/StiDevice:a b");
  EXPECT_EQ(stiEventText("OBX"), "");
  EXPECT_EQ(eventCode(stiEventText("OBX /StiDevice:usb:1 extra")), -1);
}

StartForm formOf(std::vector<std::string> words) { return startForm(commandLineOf(std::move(words))); }

TEST(CommandLine, FormsAreTestedInOrder) {
  EXPECT_EQ(formOf({"OBX", "/StiDevice:a -closeobx"}), StartForm::Scanner);
  EXPECT_EQ(formOf({"OBX", "-closeobx", "/ProductCode:x"}), StartForm::Uninstall);
  EXPECT_EQ(formOf({"OBX", "/ProductCode:{x} /Configure"}), StartForm::Install);
  EXPECT_EQ(formOf({"OBX", "/Configure"}), StartForm::Configure);
  EXPECT_EQ(formOf({"OBX"}), StartForm::StartAll);
  // The switches are matched as written.
  EXPECT_EQ(formOf({"OBX", "/stidevice:a b"}), StartForm::Unknown);
}

TEST(CommandLine, HelpWinsAndStrayArgumentsAreNoForm) {
  EXPECT_EQ(formOf({"OBX", "--help"}), StartForm::Help);
  EXPECT_EQ(formOf({"OBX", "-h"}), StartForm::Help);
  // Asking for help never runs a task, not even the clean-up before removal.
  EXPECT_EQ(formOf({"OBX", "-closeobx", "--help"}), StartForm::Help);
  EXPECT_EQ(formOf({"OBX", "/StiDevice:a /StiEvent:--help"}), StartForm::Scanner);

  EXPECT_EQ(formOf({"OBX", "foo"}), StartForm::Unknown);
  EXPECT_EQ(formOf({"OBX", "-help"}), StartForm::Unknown);
  // The session may start the program with empty arguments: still no arguments.
  EXPECT_EQ(formOf({"OBX", "", " "}), StartForm::StartAll);
  // A blank in the program's own folder is no argument.
  EXPECT_EQ(formOf({"/home/a user/OBX"}), StartForm::StartAll);
}

TEST(CommandLine, UsageNamesTheProgramFileAndEveryForm) {
  const std::string usage = usageText("/opt/ostrel/obx");
  EXPECT_EQ(usage.rfind("Usage: obx \"/StiDevice:DEVICE /StiEvent:EVENT\"\n", 0), 0u) << usage;
  for (const char* form : {"/Configure", "/ProductCode:CODE", "-closeobx", "--help"}) {
    EXPECT_NE(usage.find(form), std::string::npos) << form;
  }
  EXPECT_EQ(programName("OBX"), "OBX");
}

TEST(CommandLine, ProductCodeIsThe38CharactersAfterItsSwitch) {
  const std::string code = "{12345678-1234-1234-1234-123456789012}";
  EXPECT_EQ(productCode("OBX /ProductCode:" + code + " more"), code);
  EXPECT_EQ(productCode("OBX /ProductCode:"), "");
  EXPECT_EQ(productCode("OBX /ProductCode:{short}"), "{short}");
}

}  // namespace
}  // namespace ostrel
