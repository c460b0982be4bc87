#include "app/messages.hpp"

#include "model/number_text.hpp"

namespace varnel::app::messages {
namespace {

std::string num(int v) { return std::to_string(v); }

std::string shiftRefused(int file, int amount) { return "Cannot shift File " + num(file) + " by " + num(amount); }

}  // namespace

std::string cannotLoad(const std::string& path, int line, const std::string& why) {
  const std::string where = line > 0 ? ", line " + num(line) : "";
  return "Cannot load the scan \"" + path + "\"" + where + ": " + why + ".";
}

std::string noReadings(const std::string& path) { return cannotLoad(path, 0, "it holds no readings"); }

std::string cannotWrite(const std::string& what, const std::string& path, const std::string& why) {
  return "Cannot write the " + what + " \"" + path + "\": " + why + ".";
}

std::string shiftPastLastPoint(int file, int amount, int lastPoint, int tableEnd) {
  return shiftRefused(file, amount) + ": its readings would run past point " + num(tableEnd) + " (last point " +
         num(lastPoint) + " + " + num(amount) + ").";
}

std::string shiftPastCutoff(int file, int amount, int cutoff, int barTop) {
  return shiftRefused(file, amount) + ": the lower cut-off would rise past " + num(barTop) + " (now " + num(cutoff) +
         " + " + num(amount) + ").";
}

std::string calculationError(const std::string& channelName) {
  return "Calculation Error try smoothing or clipping " + channelName;
}

std::string visitsTooFew(int listed, int loaded) {
  if (listed < 2) return "A series needs at least two visits: add the scans of two visits or more.";
  return "Only " + num(loaded) + " of the " + num(listed) +
         " visits could be loaded: a series needs two. See the messages of the others.";
}

std::string visitsCancelled(std::size_t done, std::size_t total) {
  return "Cancelled after " + std::to_string(done) + " of " + std::to_string(total) +
         " pairs: nothing is shown or saved. Change a step or the list to compute the series again.";
}

std::string notANumber(const std::string& what, const std::string& text) {
  return "The " + what + " \"" + text + "\" is not a number.";
}

std::string thresholdsOutOfOrder(double t1, double t2) {
  return "t1 (" + model::formatNumber(t1) + " °C) is above t2 (" + model::formatNumber(t2) +
         " °C): t1 is the lower of the two thresholds.";
}

std::string cutoffsOutOfOrder(int lower, int upper) {
  return "The lower cut-off (" + num(lower) + ") is above the upper cut-off (" + num(upper) +
         "): no point lies between them.";
}

std::string visitsComputed(int visits, int pairs, int unreadable, int failedPairs) {
  std::string t = num(visits) + " visits, " + num(pairs) + " pairs compared.";
  if (unreadable > 0)
    t += " " + num(unreadable) + (unreadable == 1 ? " visit" : " visits") +
         " could not be read: see the Status column of the list.";
  if (failedPairs > 0)
    t += " " + num(failedPairs) + " of " + num(pairs) +
         " pairs failed and are crossed out: point at one, or open it, for its message.";
  return t;
}

std::string pairFailed(int earlier, int later, const std::string& why) {
  return "Visits " + num(earlier) + " and " + num(later) + " cannot be compared, so the pair is not opened: " + why;
}

std::string cannotReadList(const std::string& path, const std::string& why) {
  return "Cannot read the list of visits \"" + path + "\": " + why + ".";
}

}  // namespace varnel::app::messages
