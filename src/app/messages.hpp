#pragma once
// Every message the user can be shown, built in one place. The window shows
// them in a box titled kErrorTitle; varnel-batch prints them.
#include <cstddef>
#include <string>

namespace varnel::app {

inline constexpr const char* kErrorTitle = "Error";

namespace messages {

// A scan that cannot be opened, read or understood; line 0 when the fault
// lies with the file as a whole.
std::string cannotLoad(const std::string& path, int line, const std::string& why);

// A scan file that holds no reading at all: the window opens it, but a
// series has nothing to compare in it.
std::string noReadings(const std::string& path);

// A file that cannot be written. `what`: "results file", "export file",
// "chart image", "summary", ...
std::string cannotWrite(const std::string& what, const std::string& path, const std::string& why);

// A shift refused because the readings would run past the last point, or
// the lower cut-off past its bar's top end.
std::string shiftPastLastPoint(int file, int amount, int lastPoint, int tableEnd);
std::string shiftPastCutoff(int file, int amount, int cutoff, int barTop);

// The two-ratio method met a value it cannot use, on the named channel.
std::string calculationError(const std::string& channelName);

// A series of visits that cannot be compared: fewer than two visits listed,
// or fewer than two of them loaded.
std::string visitsTooFew(int listed, int loaded);

// A series stopped by the user after `done` of `total` pairs.
std::string visitsCancelled(std::size_t done, std::size_t total);

// Steps of a series that cannot hold: a slope threshold that is no number,
// t1 above t2, the lower cut-off above the upper one.
std::string notANumber(const std::string& what, const std::string& text);
std::string thresholdsOutOfOrder(double t1, double t2);
std::string cutoffsOutOfOrder(int lower, int upper);

// A series computed: how many pairs of how many visits, with what, and
// where the message of each failure stands.
std::string visitsComputed(int visits, int pairs, int unreadable, int failedPairs);

// A pair that failed, asked to open in the calculator.
std::string pairFailed(int earlier, int later, const std::string& why);

// A list of visits that cannot be read.
std::string cannotReadList(const std::string& path, const std::string& why);

}  // namespace messages
}  // namespace varnel::app
