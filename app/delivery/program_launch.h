#pragma once
// Opening written files in the destination's program: one start per file, or one
// for all files of an output, with the destination's text before and after the
// file names. The program runs detached; the job never waits for it.
#include <functional>
#include <string>
#include <vector>

#include "app/settings/profile_records.h"

namespace ostrel {

// The titles of the desktop's top-level windows.
using WindowTitles = std::function<std::vector<std::string>()>;

// BeforeFix, the path in double quotes, AfterFix: "%s \"%s\" %s".
std::string singleFileParameters(const CApplicationSetting& destination, const std::string& path);
// BeforeFix, the already quoted paths (each followed by one space), AfterFix: "%s %s%s".
std::string fileListParameters(const CApplicationSetting& destination, const std::string& quotedPaths);

// Starts the destination's program with the parameters and logs "Launch File:".
// The page manager is started without parameters when a window of it already
// shows the button's folder (it then has the files already). A program that
// cannot be started is logged with the reason; the user is not interrupted.
void launchProgram(const CApplicationSetting& destination, const CButtonSetting& button,
                   const std::string& parameters, const WindowTitles& windowTitles);

}  // namespace ostrel
