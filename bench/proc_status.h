// What the kernel says about this process: the memory figures the benchmarks report.
#pragma once

#include <cstring>
#include <fstream>
#include <string>

namespace lexova::bench {

// A "Key:" line of /proc/self/status in kB (VmRSS:, VmHWM:), or -1.
inline long statusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
  }
  return -1;
}

}  // namespace lexova::bench
