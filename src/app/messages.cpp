#include "app/messages.hpp"

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

}  // namespace varnel::app::messages
