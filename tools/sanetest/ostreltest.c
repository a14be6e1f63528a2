/* libsane-ostreltest.so.1: a SANE backend for tests, loaded by SANE's dll
 * backend (a private dll.conf naming "ostreltest" in SANE_CONFIG_DIR, the
 * library found through LD_LIBRARY_PATH). One device, "ostreltest:sensors",
 * with a feeder of text-like pages and the button sensors real scanners show:
 * read-only options with the hard-select capability, booleans ("scan",
 * "email", ...) and an integer "function". A test sets the sensors through a
 * control file and reads back who opened the device and what they did from a
 * log. Everything lives in the first folder of SANE_CONFIG_DIR:
 *
 *   ostreltest.conf     settings, one "key value" a line:
 *                         pages N            sheets in the feeder per open (3)
 *                         page-delay-ms N    time each page takes to start (0)
 *                         sensors a,b,...    the boolean sensors (scan,email,copy,pdf,file)
 *                         function yes|no    an integer "function" sensor (yes)
 *                         log-sensor-reads yes|no   a log line per sensor read (yes)
 *   ostreltest.sensors  the sensors' values, "name value" a line; missing ones are 0
 *   ostreltest.log      "<unix ms> <pid> <program> <event> [detail]" a line
 *
 * Like a USB scanner, the device has one user at a time, across processes:
 * an open while another holds it answers SANE_STATUS_DEVICE_BUSY. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <sane/sane.h>
#include <sane/saneopts.h>

#define EXPORT __attribute__((visibility("default")))
#define MAX_SENSORS 16
#define NAME_SIZE 32
#define DEVICE_NAME "sensors"

enum {
  OPT_COUNT,
  OPT_MODE_GROUP,
  OPT_MODE,
  OPT_SOURCE,
  OPT_RESOLUTION,
  OPT_GEOMETRY_GROUP,
  OPT_TL_X,
  OPT_TL_Y,
  OPT_BR_X,
  OPT_BR_Y,
  OPT_SENSOR_GROUP,
  OPT_FIRST_SENSOR
};

static const SANE_String_Const modes[] = {"Gray", "Color", NULL};
static const SANE_String_Const sources[] = {"Flatbed", "Automatic Document Feeder", NULL};
static const SANE_Range resolutionRange = {50, 600, 1};
static const SANE_Range widthRange = {0, SANE_FIX(215.9), 0};
static const SANE_Range lengthRange = {0, SANE_FIX(279.4), 0};
static const SANE_Range functionRange = {0, 9, 1};

typedef struct {
  char folder[PATH_MAX];
  int pages;
  int pageDelayMs;
  int sensorCount; /* booleans, then the function sensor when there is one */
  int hasFunction;
  int logSensorReads;
  char sensorNames[MAX_SENSORS][NAME_SIZE];
} Settings;

typedef struct {
  int lockFd;
  int optionCount;
  SANE_Option_Descriptor options[OPT_FIRST_SENSOR + MAX_SENSORS + 1];
  int mode; /* index into modes */
  int source;
  SANE_Word resolution;
  SANE_Word tlx, tly, brx, bry;
  int sheetsLeft;
  int pageNumber;
  int scanning;
  SANE_Parameters parameters;
  long long bytesLeft;
  int line, column;
} Device;

static Settings settings;
static Device device;
static int deviceOpen;

/* The folder is cut short rather than the name: a test's folder is short. */
static void pathIn(char* out, const char* name) {
  snprintf(out, PATH_MAX, "%.*s/%s", PATH_MAX - 64, settings.folder, name);
}

static long long nowMs(void) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

/* One line in one write, so lines of several processes never mix. */
static void logEvent(const char* event, const char* format, ...) {
  char path[PATH_MAX], detail[256] = "", program[64] = "?", line[512];
  FILE* comm = fopen("/proc/self/comm", "r");
  if (comm) {
    if (fgets(program, sizeof program, comm)) program[strcspn(program, "\n")] = 0;
    fclose(comm);
  }
  if (format) {
    va_list args;
    va_start(args, format);
    vsnprintf(detail, sizeof detail, format, args);
    va_end(args);
  }
  const int length = snprintf(line, sizeof line, "%lld %d %s %s%s%s\n", nowMs(), (int)getpid(), program, event,
                              *detail ? " " : "", detail);
  pathIn(path, "ostreltest.log");
  const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (write(fd, line, (size_t)(length < (int)sizeof line ? length : (int)sizeof line - 1)) < 0) {
    /* a test reads what there is */
  }
  close(fd);
}

static void readSettings(void) {
  const char* dirs = getenv("SANE_CONFIG_DIR");
  memset(&settings, 0, sizeof settings);
  snprintf(settings.folder, sizeof settings.folder, "%.*s", dirs ? (int)strcspn(dirs, ":") : 1, dirs ? dirs : ".");
  settings.pages = 3;
  settings.hasFunction = 1;
  settings.logSensorReads = 1;
  const char* names = "scan,email,copy,pdf,file";
  char path[PATH_MAX], line[512], sensorList[512];
  snprintf(sensorList, sizeof sensorList, "%s", names);
  pathIn(path, "ostreltest.conf");
  FILE* file = fopen(path, "r");
  while (file && fgets(line, sizeof line, file)) {
    char key[64], value[448];
    if (sscanf(line, "%63s %447s", key, value) != 2) continue;
    if (!strcmp(key, "pages")) settings.pages = atoi(value);
    if (!strcmp(key, "page-delay-ms")) settings.pageDelayMs = atoi(value);
    if (!strcmp(key, "sensors")) snprintf(sensorList, sizeof sensorList, "%s", strcmp(value, "none") ? value : "");
    if (!strcmp(key, "function")) settings.hasFunction = !strcmp(value, "yes");
    if (!strcmp(key, "log-sensor-reads")) settings.logSensorReads = !strcmp(value, "yes");
  }
  if (file) fclose(file);
  for (char *name = strtok(sensorList, ","); name && settings.sensorCount < MAX_SENSORS - 1;
       name = strtok(NULL, ",")) {
    snprintf(settings.sensorNames[settings.sensorCount++], NAME_SIZE, "%s", name);
  }
  if (settings.hasFunction) snprintf(settings.sensorNames[settings.sensorCount++], NAME_SIZE, "function");
}

/* The sensor's value in the control file, 0 when it is not there. */
static int sensorValue(const char* name) {
  char path[PATH_MAX], line[256];
  int value = 0;
  pathIn(path, "ostreltest.sensors");
  FILE* file = fopen(path, "r");
  while (file && fgets(line, sizeof line, file)) {
    char key[NAME_SIZE + 1];
    int number = 0;
    if (sscanf(line, "%32s %d", key, &number) == 2 && !strcmp(key, name)) value = number;
  }
  if (file) fclose(file);
  return value;
}

static SANE_Option_Descriptor option(SANE_String_Const name, SANE_String_Const title, SANE_Value_Type type,
                                     SANE_Unit unit, SANE_Int size, SANE_Int capabilities) {
  SANE_Option_Descriptor o;
  memset(&o, 0, sizeof o);
  o.name = name;
  o.title = title;
  o.desc = title;
  o.type = type;
  o.unit = unit;
  o.size = size;
  o.cap = capabilities;
  o.constraint_type = SANE_CONSTRAINT_NONE;
  return o;
}

static void constrainList(SANE_Option_Descriptor* o, const SANE_String_Const* list) {
  o->constraint_type = SANE_CONSTRAINT_STRING_LIST;
  o->constraint.string_list = list;
}

static void constrainRange(SANE_Option_Descriptor* o, const SANE_Range* range) {
  o->constraint_type = SANE_CONSTRAINT_RANGE;
  o->constraint.range = range;
}

static void describe(void) {
  SANE_Option_Descriptor* o = device.options;
  const SANE_Int word = sizeof(SANE_Word);
  const SANE_Int settable = SANE_CAP_SOFT_SELECT | SANE_CAP_SOFT_DETECT;
  o[OPT_COUNT] = option(SANE_NAME_NUM_OPTIONS, SANE_TITLE_NUM_OPTIONS, SANE_TYPE_INT, SANE_UNIT_NONE, word,
                        SANE_CAP_SOFT_DETECT);
  o[OPT_MODE_GROUP] = option("", "Scan Mode", SANE_TYPE_GROUP, SANE_UNIT_NONE, 0, 0);
  o[OPT_MODE] = option(SANE_NAME_SCAN_MODE, SANE_TITLE_SCAN_MODE, SANE_TYPE_STRING, SANE_UNIT_NONE, 32, settable);
  constrainList(&o[OPT_MODE], modes);
  o[OPT_SOURCE] = option(SANE_NAME_SCAN_SOURCE, SANE_TITLE_SCAN_SOURCE, SANE_TYPE_STRING, SANE_UNIT_NONE, 32, settable);
  constrainList(&o[OPT_SOURCE], sources);
  o[OPT_RESOLUTION] =
      option(SANE_NAME_SCAN_RESOLUTION, SANE_TITLE_SCAN_RESOLUTION, SANE_TYPE_INT, SANE_UNIT_DPI, word, settable);
  constrainRange(&o[OPT_RESOLUTION], &resolutionRange);
  o[OPT_GEOMETRY_GROUP] = option("", "Geometry", SANE_TYPE_GROUP, SANE_UNIT_NONE, 0, 0);
  const SANE_String_Const names[] = {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X,
                                     SANE_NAME_SCAN_BR_Y};
  for (int i = 0; i < 4; ++i) {
    o[OPT_TL_X + i] = option(names[i], names[i], SANE_TYPE_FIXED, SANE_UNIT_MM, word, settable);
    constrainRange(&o[OPT_TL_X + i], i % 2 ? &lengthRange : &widthRange);
  }
  o[OPT_SENSOR_GROUP] = option("", "Sensors", SANE_TYPE_GROUP, SANE_UNIT_NONE, 0, 0);
  const SANE_Int sensor = SANE_CAP_HARD_SELECT | SANE_CAP_SOFT_DETECT | SANE_CAP_ADVANCED;
  for (int i = 0; i < settings.sensorCount; ++i) {
    const int isFunction = settings.hasFunction && i == settings.sensorCount - 1;
    SANE_Option_Descriptor* s = &o[OPT_FIRST_SENSOR + i];
    *s = option(settings.sensorNames[i], settings.sensorNames[i], isFunction ? SANE_TYPE_INT : SANE_TYPE_BOOL,
                SANE_UNIT_NONE, word, sensor);
    if (isFunction) constrainRange(s, &functionRange);
  }
  device.optionCount = OPT_FIRST_SENSOR + settings.sensorCount;
}

EXPORT SANE_Status sane_ostreltest_init(SANE_Int* version, SANE_Auth_Callback authorize) {
  (void)authorize;
  if (version) *version = SANE_VERSION_CODE(1, 0, 0);
  readSettings();
  return SANE_STATUS_GOOD;
}

EXPORT void sane_ostreltest_exit(void) {}

EXPORT SANE_Status sane_ostreltest_get_devices(const SANE_Device*** list, SANE_Bool localOnly) {
  (void)localOnly;
  static const SANE_Device entry = {DEVICE_NAME, "Ostrel", "Sensor Test", "sheetfed scanner"};
  static const SANE_Device* devices[] = {&entry, NULL};
  *list = devices;
  return SANE_STATUS_GOOD;
}

EXPORT SANE_Status sane_ostreltest_open(SANE_String_Const name, SANE_Handle* handle) {
  if (name && *name && strcmp(name, DEVICE_NAME)) return SANE_STATUS_INVAL;
  char path[PATH_MAX];
  pathIn(path, "ostreltest.lock");
  const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return SANE_STATUS_IO_ERROR;
  if (deviceOpen || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    logEvent("busy", NULL);
    return SANE_STATUS_DEVICE_BUSY;
  }
  memset(&device, 0, sizeof device);
  device.lockFd = fd;
  device.source = 1;
  device.resolution = 100;
  device.brx = widthRange.max;
  device.bry = lengthRange.max;
  device.sheetsLeft = settings.pages;
  describe();
  deviceOpen = 1;
  *handle = &device;
  logEvent("open", NULL);
  return SANE_STATUS_GOOD;
}

EXPORT void sane_ostreltest_close(SANE_Handle handle) {
  if (handle != &device || !deviceOpen) return;
  logEvent("close", NULL);
  close(device.lockFd);
  deviceOpen = 0;
}

EXPORT const SANE_Option_Descriptor* sane_ostreltest_get_option_descriptor(SANE_Handle handle, SANE_Int option) {
  if (handle != &device || option < 0 || option >= device.optionCount) return NULL;
  return &device.options[option];
}

static SANE_Status getValue(SANE_Int option, void* value) {
  SANE_Word* word = value;
  switch (option) {
    case OPT_COUNT: *word = device.optionCount; return SANE_STATUS_GOOD;
    case OPT_MODE: strcpy(value, modes[device.mode]); return SANE_STATUS_GOOD;
    case OPT_SOURCE: strcpy(value, sources[device.source]); return SANE_STATUS_GOOD;
    case OPT_RESOLUTION: *word = device.resolution; return SANE_STATUS_GOOD;
    case OPT_TL_X: *word = device.tlx; return SANE_STATUS_GOOD;
    case OPT_TL_Y: *word = device.tly; return SANE_STATUS_GOOD;
    case OPT_BR_X: *word = device.brx; return SANE_STATUS_GOOD;
    case OPT_BR_Y: *word = device.bry; return SANE_STATUS_GOOD;
    default: break;
  }
  if (option >= OPT_FIRST_SENSOR && option < device.optionCount) {
    const char* name = device.options[option].name;
    const int read = sensorValue(name);
    *word = device.options[option].type == SANE_TYPE_BOOL ? (read ? SANE_TRUE : SANE_FALSE) : read;
    if (settings.logSensorReads) logEvent("sensor", "%s=%d", name, read);
    return SANE_STATUS_GOOD;
  }
  return SANE_STATUS_INVAL;
}

static int listIndex(const SANE_String_Const* list, const char* text) {
  for (int i = 0; list[i]; ++i) {
    if (!strcmp(list[i], text)) return i;
  }
  return -1;
}

static SANE_Word clampWord(SANE_Word value, const SANE_Range* range) {
  return value < range->min ? range->min : value > range->max ? range->max : value;
}

static SANE_Status setValue(SANE_Int option, void* value, SANE_Int* info) {
  if (option >= OPT_FIRST_SENSOR) return SANE_STATUS_INVAL; /* sensors are read-only */
  if (device.scanning) return SANE_STATUS_DEVICE_BUSY;
  const SANE_Word word = value ? *(SANE_Word*)value : 0;
  int index;
  switch (option) {
    case OPT_MODE:
    case OPT_SOURCE:
      index = listIndex(option == OPT_MODE ? modes : sources, value);
      if (index < 0) return SANE_STATUS_INVAL;
      *(option == OPT_MODE ? &device.mode : &device.source) = index;
      if (info) *info |= SANE_INFO_RELOAD_PARAMS;
      return SANE_STATUS_GOOD;
    case OPT_RESOLUTION: device.resolution = clampWord(word, &resolutionRange); break;
    case OPT_TL_X: device.tlx = clampWord(word, &widthRange); break;
    case OPT_TL_Y: device.tly = clampWord(word, &lengthRange); break;
    case OPT_BR_X: device.brx = clampWord(word, &widthRange); break;
    case OPT_BR_Y: device.bry = clampWord(word, &lengthRange); break;
    default: return SANE_STATUS_INVAL;
  }
  if (info) *info |= SANE_INFO_RELOAD_PARAMS | (word != *(SANE_Word*)value ? SANE_INFO_INEXACT : 0);
  return SANE_STATUS_GOOD;
}

EXPORT SANE_Status sane_ostreltest_control_option(SANE_Handle handle, SANE_Int option, SANE_Action action,
                                                  void* value, SANE_Int* info) {
  if (handle != &device || option < 0 || option >= device.optionCount || !value) return SANE_STATUS_INVAL;
  if (info) *info = 0;
  if (action == SANE_ACTION_GET_VALUE) return getValue(option, value);
  if (action == SANE_ACTION_SET_VALUE) return setValue(option, value, info);
  return SANE_STATUS_INVAL;
}

static void computeParameters(SANE_Parameters* p) {
  const double dotsPerMm = device.resolution / 25.4;
  int width = (int)(SANE_UNFIX(device.brx - device.tlx) * dotsPerMm);
  int lines = (int)(SANE_UNFIX(device.bry - device.tly) * dotsPerMm);
  if (width < 1) width = 1;
  if (lines < 1) lines = 1;
  p->format = device.mode == 1 ? SANE_FRAME_RGB : SANE_FRAME_GRAY;
  p->last_frame = SANE_TRUE;
  p->depth = 8;
  p->pixels_per_line = width;
  p->bytes_per_line = width * (device.mode == 1 ? 3 : 1);
  p->lines = lines;
}

EXPORT SANE_Status sane_ostreltest_get_parameters(SANE_Handle handle, SANE_Parameters* parameters) {
  if (handle != &device || !parameters) return SANE_STATUS_INVAL;
  if (device.scanning) {
    *parameters = device.parameters;
  } else {
    computeParameters(parameters);
  }
  return SANE_STATUS_GOOD;
}

EXPORT SANE_Status sane_ostreltest_start(SANE_Handle handle) {
  if (handle != &device) return SANE_STATUS_INVAL;
  const int feeder = device.source == 1;
  if (feeder && device.sheetsLeft <= 0) {
    logEvent("start", "feeder empty");
    return SANE_STATUS_NO_DOCS;
  }
  if (feeder) --device.sheetsLeft;
  ++device.pageNumber;
  logEvent("start", "page %d", device.pageNumber);
  if (settings.pageDelayMs > 0) {
    const struct timespec pause = {settings.pageDelayMs / 1000, (long)(settings.pageDelayMs % 1000) * 1000000L};
    nanosleep(&pause, NULL);
  }
  computeParameters(&device.parameters);
  device.bytesLeft = (long long)device.parameters.bytes_per_line * device.parameters.lines;
  device.line = 0;
  device.column = 0;
  device.scanning = 1;
  return SANE_STATUS_GOOD;
}

/* Text-like rows: lines of "words" on white, different on every page, so no
 * page reads as blank. */
static unsigned char sample(int x, int y) {
  const int lineHeight = device.resolution / 5 + 1;
  const int inLine = y % lineHeight;
  if (inLine > lineHeight / 2) return 250;
  const unsigned word = (unsigned)(x / (device.resolution / 4 + 1)) * 2654435761u ^
                        (unsigned)(y / lineHeight) * 40503u ^ (unsigned)device.pageNumber * 97u;
  return (word >> 7) % 4 == 0 ? 250 : 30;
}

EXPORT SANE_Status sane_ostreltest_read(SANE_Handle handle, SANE_Byte* data, SANE_Int room, SANE_Int* length) {
  if (handle != &device || !length) return SANE_STATUS_INVAL;
  *length = 0;
  if (!device.scanning) return SANE_STATUS_CANCELLED;
  if (device.bytesLeft <= 0) {
    device.scanning = 0;
    return SANE_STATUS_EOF;
  }
  const int channels = device.mode == 1 ? 3 : 1;
  while (*length < room && device.bytesLeft > 0) {
    data[(*length)++] = sample(device.column / channels, device.line);
    --device.bytesLeft;
    if (++device.column == device.parameters.bytes_per_line) {
      device.column = 0;
      ++device.line;
    }
  }
  return SANE_STATUS_GOOD;
}

EXPORT void sane_ostreltest_cancel(SANE_Handle handle) {
  if (handle != &device) return;
  if (device.scanning) logEvent("cancel", NULL);
  device.scanning = 0;
}

EXPORT SANE_Status sane_ostreltest_set_io_mode(SANE_Handle handle, SANE_Bool nonBlocking) {
  if (handle != &device) return SANE_STATUS_INVAL;
  return nonBlocking ? SANE_STATUS_UNSUPPORTED : SANE_STATUS_GOOD;
}

EXPORT SANE_Status sane_ostreltest_get_select_fd(SANE_Handle handle, SANE_Int* fd) {
  (void)handle;
  (void)fd;
  return SANE_STATUS_UNSUPPORTED;
}
