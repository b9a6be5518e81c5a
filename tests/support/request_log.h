#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace kestrion::test {

// The command codes a simulator received, in order, taken from its log lines. Give `sink()`
// to devsim::Simulator::setLogSink; the simulator calls it from its own threads.
class RequestLog {
public:
    auto sink()
    {
        return [this](const std::string& line) { record(line); };
    }

    std::vector<int> commands() const
    {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_commands.clear();
    }

private:
    // "... request <report id> <8 bytes> <command> ...": the command is the fourth byte.
    void record(const std::string& line)
    {
        const std::string marker = " request ";
        const std::size_t at = line.find(marker);
        if (at == std::string::npos)
            return;
        std::lock_guard lock(m_mutex);
        m_commands.push_back(std::stoi(line.substr(at + marker.size() + 9, 2), nullptr, 16));
    }

    mutable std::mutex m_mutex;
    std::vector<int> m_commands;
};

}  // namespace kestrion::test
