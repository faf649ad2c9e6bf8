#pragma once
// What the benchmarks read from the kernel and about their children: /proc files, the
// namespace's UDP counters, the multicast groups joined, a process's CPU time.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace linux_counters {

inline std::string readText(const char* path) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// A field of the "Udp:" lines of /proc/net/snmp.
inline uint64_t udpCounter(const std::string& name) {
    std::istringstream lines(readText("/proc/net/snmp"));
    std::string header, values;
    while (std::getline(lines, header)) {
        if (header.rfind("Udp: ", 0) != 0) continue;
        std::getline(lines, values);
        std::istringstream h(header), v(values);
        std::string key, value;
        while (h >> key && v >> value) {
            if (key == name) return std::stoull(value);
        }
    }
    return 0;
}

// Memberships of 239.255.x.y groups (FFEF in /proc/net/igmp's byte order).
inline int joinedGroups() {
    std::istringstream lines(readText("/proc/net/igmp"));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) count += line.find("FFEF") != std::string::npos ? 1 : 0;
    return count;
}

inline double cpuSeconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// User and system CPU time of a task from a /proc/.../stat file.
inline double statCpuSeconds(const std::string& path) {
    const std::string stat = readText(path.c_str());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));  // the name may hold spaces
    std::string field;
    uint64_t user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) system = std::stoull(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A running process's CPU time: its main thread's, and that of all its threads together.
struct ProcessCpu {
    double mainThread = 0;
    double all = 0;
};
inline ProcessCpu processCpuSeconds(int pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    return {statCpuSeconds(proc + "/task/" + std::to_string(pid) + "/stat"), statCpuSeconds(proc + "/stat")};
}

}  // namespace linux_counters
