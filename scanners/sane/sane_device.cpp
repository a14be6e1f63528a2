#include "scanners/sane/sane_device.h"

#include <sane/sane.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>

namespace ostrel::sane {

namespace {

// How many holders SANE has in this module. A count under a lock rather than
// a weak pointer, so that a new holder can never initialise SANE while the
// last one is still ending it.
struct RuntimeUsers {
  std::mutex mutex;
  int count = 0;
};
RuntimeUsers& runtimeUsers() {
  static RuntimeUsers users;
  return users;
}

DeviceStatus fromSane(SANE_Status status) {
  switch (status) {
    case SANE_STATUS_GOOD: return DeviceStatus::Good;
    case SANE_STATUS_UNSUPPORTED: return DeviceStatus::Unsupported;
    case SANE_STATUS_CANCELLED: return DeviceStatus::Cancelled;
    case SANE_STATUS_DEVICE_BUSY: return DeviceStatus::Busy;
    case SANE_STATUS_INVAL: return DeviceStatus::Invalid;
    case SANE_STATUS_EOF: return DeviceStatus::EndOfFrame;
    case SANE_STATUS_JAMMED: return DeviceStatus::Jammed;
    case SANE_STATUS_NO_DOCS: return DeviceStatus::FeederEmpty;
    case SANE_STATUS_COVER_OPEN: return DeviceStatus::CoverOpen;
    case SANE_STATUS_NO_MEM: return DeviceStatus::NoMemory;
    case SANE_STATUS_ACCESS_DENIED: return DeviceStatus::AccessDenied;
    case SANE_STATUS_IO_ERROR:
    default: return DeviceStatus::IoError;
  }
}

OptionType fromSane(SANE_Value_Type type) {
  switch (type) {
    case SANE_TYPE_BOOL: return OptionType::Bool;
    case SANE_TYPE_INT: return OptionType::Int;
    case SANE_TYPE_FIXED: return OptionType::Fixed;
    case SANE_TYPE_STRING: return OptionType::String;
    case SANE_TYPE_BUTTON: return OptionType::Button;
    default: return OptionType::Group;
  }
}

OptionUnit fromSane(SANE_Unit unit) {
  switch (unit) {
    case SANE_UNIT_PIXEL: return OptionUnit::Pixel;
    case SANE_UNIT_BIT: return OptionUnit::Bit;
    case SANE_UNIT_MM: return OptionUnit::Millimetre;
    case SANE_UNIT_DPI: return OptionUnit::Dpi;
    case SANE_UNIT_PERCENT: return OptionUnit::Percent;
    case SANE_UNIT_MICROSECOND: return OptionUnit::Microsecond;
    default: return OptionUnit::None;
  }
}

double number(const SANE_Option_Descriptor& option, SANE_Word word) {
  return option.type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : static_cast<double>(word);
}

OptionDescription describe(const SANE_Option_Descriptor& option) {
  OptionDescription description;
  description.name = option.name ? option.name : "";
  description.type = fromSane(option.type);
  description.unit = fromSane(option.unit);
  description.active = SANE_OPTION_IS_ACTIVE(option.cap);
  description.settable = SANE_OPTION_IS_SETTABLE(option.cap);
  description.hardSelect = (option.cap & SANE_CAP_HARD_SELECT) != 0;
  if (option.type == SANE_TYPE_BOOL || option.type == SANE_TYPE_INT || option.type == SANE_TYPE_FIXED) {
    description.valueCount = std::max<int>(1, option.size / static_cast<int>(sizeof(SANE_Word)));
  }
  switch (option.constraint_type) {
    case SANE_CONSTRAINT_STRING_LIST:
      for (const SANE_String_Const* value = option.constraint.string_list; value && *value; ++value) {
        description.strings.emplace_back(*value);
      }
      break;
    case SANE_CONSTRAINT_WORD_LIST:
      if (const SANE_Word* list = option.constraint.word_list) {
        for (SANE_Word i = 1; i <= list[0]; ++i) description.numbers.push_back(number(option, list[i]));
      }
      break;
    case SANE_CONSTRAINT_RANGE:
      if (const SANE_Range* range = option.constraint.range) {
        description.range = OptionRange{number(option, range->min), number(option, range->max),
                                        number(option, range->quant)};
      }
      break;
    default: break;
  }
  return description;
}

}  // namespace

std::string statusText(DeviceStatus status) {
  switch (status) {
    case DeviceStatus::Good: return "no problem";
    case DeviceStatus::EndOfFrame: return "the image has ended";
    case DeviceStatus::FeederEmpty: return "the document feeder is empty";
    case DeviceStatus::Jammed: return "the document feeder is jammed";
    case DeviceStatus::CoverOpen: return "the scanner's cover is open";
    case DeviceStatus::Cancelled: return "the scan was cancelled";
    case DeviceStatus::Busy: return "the scanner is busy";
    case DeviceStatus::NoMemory: return "the scanner's driver ran out of memory";
    case DeviceStatus::AccessDenied: return "access to the scanner is denied";
    case DeviceStatus::IoError: return "the scanner cannot be reached (input/output error)";
    case DeviceStatus::Invalid: return "the scanner does not exist or refuses the request";
    case DeviceStatus::Unsupported: return "the scanner does not support the request";
  }
  return "unknown status";
}

std::shared_ptr<SaneRuntime> SaneRuntime::acquire(std::string* error) {
  RuntimeUsers& users = runtimeUsers();
  std::lock_guard lock(users.mutex);
  if (users.count == 0) {
    SANE_Int version = 0;
    const SANE_Status status = sane_init(&version, nullptr);
    if (status != SANE_STATUS_GOOD) {
      if (error) *error = std::string("SANE does not initialise: ") + sane_strstatus(status);
      return nullptr;
    }
  }
  ++users.count;
  return std::shared_ptr<SaneRuntime>(new SaneRuntime());
}

SaneRuntime::~SaneRuntime() {
  RuntimeUsers& users = runtimeUsers();
  std::lock_guard lock(users.mutex);
  if (--users.count == 0) sane_exit();
}

std::optional<std::vector<DeviceEntry>> listDevices(std::string* error) {
  const auto runtime = SaneRuntime::acquire(error);
  if (!runtime) return std::nullopt;
  const SANE_Device** list = nullptr;
  const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
  if (status != SANE_STATUS_GOOD) {
    if (error) *error = std::string("SANE cannot list its devices: ") + sane_strstatus(status);
    return std::nullopt;
  }
  std::vector<DeviceEntry> devices;
  for (const SANE_Device** device = list; device && *device; ++device) {
    const auto text = [](SANE_String_Const value) { return std::string(value ? value : ""); };
    devices.push_back({text((*device)->name), text((*device)->vendor), text((*device)->model), text((*device)->type)});
  }
  return devices;
}

SaneDevice::SaneDevice(std::shared_ptr<SaneRuntime> runtime, void* handle, std::string name)
    : runtime_(std::move(runtime)), handle_(handle), name_(std::move(name)) {}

std::shared_ptr<SaneDevice> SaneDevice::open(const std::string& name, std::string* error) {
  // An empty name would open whichever device SANE lists first.
  if (name.empty()) {
    if (error) *error = "no SANE device is named";
    return nullptr;
  }
  auto runtime = SaneRuntime::acquire(error);
  if (!runtime) return nullptr;
  SANE_Handle handle = nullptr;
  const SANE_Status status = sane_open(name.c_str(), &handle);
  if (status != SANE_STATUS_GOOD || !handle) {
    if (error) *error = "SANE cannot open " + name + ": " + statusText(fromSane(status));
    return nullptr;
  }
  return std::shared_ptr<SaneDevice>(new SaneDevice(std::move(runtime), handle, name));
}

SaneDevice::~SaneDevice() { sane_close(handle_); }

std::vector<OptionDescription> SaneDevice::options() const {
  std::vector<OptionDescription> options;
  for (SANE_Int i = 1;; ++i) {
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, i);
    if (!option) break;
    if (option->type == SANE_TYPE_GROUP || !option->name || !*option->name) continue;
    options.push_back(describe(*option));
  }
  return options;
}

int SaneDevice::optionIndex(std::string_view name) const {
  for (SANE_Int i = 1;; ++i) {
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, i);
    if (!option) return -1;
    if (option->name && name == option->name && option->type != SANE_TYPE_GROUP) return i;
  }
}

bool SaneDevice::set(std::string_view name, const OptionValue& value, std::string* error) {
  const int index = optionIndex(name);
  const SANE_Option_Descriptor* option = index < 0 ? nullptr : sane_get_option_descriptor(handle_, index);
  const auto fail = [&](std::string reason) {
    if (error) *error = std::move(reason);
    return false;
  };
  if (!option) return fail("the scanner has no such option");
  if (!SANE_OPTION_IS_ACTIVE(option->cap) || !SANE_OPTION_IS_SETTABLE(option->cap)) {
    return fail("the option cannot be set now");
  }
  SANE_Status status = SANE_STATUS_INVAL;
  SANE_Int info = 0;
  switch (option->type) {
    case SANE_TYPE_BOOL:
    case SANE_TYPE_INT:
    case SANE_TYPE_FIXED: {
      // Options holding arrays are not ours to set.
      if (option->size != static_cast<SANE_Int>(sizeof(SANE_Word))) return fail("the option holds several values");
      double wanted = 0;
      if (const auto* flag = std::get_if<bool>(&value)) {
        wanted = *flag ? 1 : 0;
      } else if (const auto* given = std::get_if<double>(&value)) {
        wanted = *given;
      } else {
        return fail("the option takes a number");
      }
      const double limit = option->type == SANE_TYPE_FIXED ? 32767.0 : static_cast<double>(INT_MAX);
      if (!(wanted >= -limit && wanted <= limit)) return fail("the value is out of the option's reach");
      SANE_Word word = wanted != 0 ? SANE_TRUE : SANE_FALSE;
      if (option->type == SANE_TYPE_FIXED) word = SANE_FIX(wanted);
      if (option->type == SANE_TYPE_INT) word = static_cast<SANE_Word>(std::lround(wanted));
      status = sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, &word, &info);
      break;
    }
    case SANE_TYPE_STRING: {
      const auto* text = std::get_if<std::string>(&value);
      if (!text) return fail("the option takes text");
      if (option->size < 1 || text->size() >= static_cast<std::size_t>(option->size)) return fail("the text is too long");
      std::vector<char> buffer(static_cast<std::size_t>(option->size), '\0');
      std::memcpy(buffer.data(), text->data(), text->size());
      status = sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, buffer.data(), &info);
      break;
    }
    case SANE_TYPE_BUTTON: status = sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, nullptr, &info); break;
    default: return fail("the option holds no value");
  }
  if (status != SANE_STATUS_GOOD) return fail(statusText(fromSane(status)));
  return true;
}

std::optional<OptionValue> SaneDevice::value(std::string_view name) const {
  const int index = optionIndex(name);
  const SANE_Option_Descriptor* option = index < 0 ? nullptr : sane_get_option_descriptor(handle_, index);
  if (!option || !SANE_OPTION_IS_ACTIVE(option->cap) || option->size < 1) return std::nullopt;
  if (option->type == SANE_TYPE_BUTTON || option->type == SANE_TYPE_GROUP) return std::nullopt;
  std::vector<SANE_Word> buffer(static_cast<std::size_t>(option->size) / sizeof(SANE_Word) + 1, 0);
  if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, buffer.data(), nullptr) != SANE_STATUS_GOOD) {
    return std::nullopt;
  }
  switch (option->type) {
    case SANE_TYPE_BOOL: return OptionValue{buffer[0] != SANE_FALSE};
    case SANE_TYPE_INT: return OptionValue{static_cast<double>(buffer[0])};
    case SANE_TYPE_FIXED: return OptionValue{SANE_UNFIX(buffer[0])};
    case SANE_TYPE_STRING: {
      const auto* text = reinterpret_cast<const char*>(buffer.data());
      return OptionValue{std::string(text, strnlen(text, static_cast<std::size_t>(option->size)))};
    }
    default: return std::nullopt;
  }
}

DeviceStatus SaneDevice::start() { return fromSane(sane_start(handle_)); }

DeviceStatus SaneDevice::parameters(FrameParameters& parameters) {
  SANE_Parameters sane{};
  const SANE_Status status = sane_get_parameters(handle_, &sane);
  if (status != SANE_STATUS_GOOD) return fromSane(status);
  switch (sane.format) {
    case SANE_FRAME_GRAY: parameters.format = FrameFormat::Grey; break;
    case SANE_FRAME_RGB: parameters.format = FrameFormat::Rgb; break;
    case SANE_FRAME_RED: parameters.format = FrameFormat::Red; break;
    case SANE_FRAME_GREEN: parameters.format = FrameFormat::Green; break;
    case SANE_FRAME_BLUE: parameters.format = FrameFormat::Blue; break;
    default: return DeviceStatus::Unsupported;  // compressed or extra bands
  }
  parameters.lastFrame = sane.last_frame != SANE_FALSE;
  parameters.bytesPerLine = sane.bytes_per_line;
  parameters.pixelsPerLine = sane.pixels_per_line;
  parameters.lines = sane.lines;
  parameters.depth = sane.depth;
  return DeviceStatus::Good;
}

DeviceStatus SaneDevice::read(std::span<std::uint8_t> into, std::size_t& length) {
  SANE_Int got = 0;
  const auto room = static_cast<SANE_Int>(std::min<std::size_t>(into.size(), INT_MAX));
  const SANE_Status status = sane_read(handle_, into.data(), room, &got);
  length = status == SANE_STATUS_GOOD && got > 0 ? std::min(static_cast<std::size_t>(got), into.size()) : 0;
  return fromSane(status);
}

void SaneDevice::cancel() { sane_cancel(handle_); }

}  // namespace ostrel::sane
