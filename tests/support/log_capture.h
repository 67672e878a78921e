// Captures what loggers following the process default send to their sink,
// for tests that assert exact log lines. Restores the standard-error writer
// and the default level when destroyed.
#pragma once

#include <string>
#include <vector>

struct CapturedLine {
    std::string logger;
    int level;
    std::string message;
};

class LogCapture {
  public:
    explicit LogCapture(int level = 4);
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    const std::vector<CapturedLine> &lines() const { return lines_; }
    // Messages only, for compact comparisons.
    std::vector<std::string> messages() const;
    // Messages logged at exactly `level`.
    std::vector<std::string> messages(int level) const;
    bool contains(const std::string &message) const;
    void clear() { lines_.clear(); }

  private:
    static void callback(void *arg, const char *name, int level, const char *message);
    std::vector<CapturedLine> lines_;
};
