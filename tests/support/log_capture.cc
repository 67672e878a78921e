#include "tests/support/log_capture.h"

#include <algorithm>

#include "core/commons/logger.h"

LogCapture::LogCapture(int level) {
    logger_set_default_log_level(level);
    logger_set_default_callback(&LogCapture::callback, this);
}

LogCapture::~LogCapture() {
    logger_set_default_callback(logger_stderr_writer, nullptr);
    logger_set_default_log_level(-1);
}

void LogCapture::callback(void *arg, const char *name, int level, const char *message) {
    static_cast<LogCapture *>(arg)->lines_.push_back({name ? name : "", level, message});
}

std::vector<std::string> LogCapture::messages() const {
    std::vector<std::string> out;
    for (const CapturedLine &line : lines_) {
        out.push_back(line.message);
    }
    return out;
}

std::vector<std::string> LogCapture::messages(int level) const {
    std::vector<std::string> out;
    for (const CapturedLine &line : lines_) {
        if (line.level == level) {
            out.push_back(line.message);
        }
    }
    return out;
}

bool LogCapture::contains(const std::string &message) const {
    return std::any_of(lines_.begin(), lines_.end(),
                       [&](const CapturedLine &line) { return line.message == message; });
}
