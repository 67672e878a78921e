// The shared library must export the documented C API and nothing else of
// ours: hosts link against it, and hidden internals keep it free to change.
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

class SharedLibrary : public testing::Test {
  protected:
    void SetUp() override {
        handle_ = dlopen(OVCORE_SHARED_LIB, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void TearDown() override { dlclose(handle_); }
    void *handle_ = nullptr;
};

TEST_F(SharedLibrary, ExportsThePublicApiOnly) {
    for (const char *name :
         {"logger_set_default_log_level", "logger_set_default_callback", "ovcore_proxy_filter_new",
          "ovcore_proxy_filter_release", "OvCApiPFAddRule", "OvCApiPFClearRule",
          "OvCApiPFIsFiltered", "OvCApiPFChangeFilteringState"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(dlsym(handle_, name), nullptr);
    }
    for (const char *name : {"logger_open", "logger_log", "logger_close", "ov_rule_change_time",
                             "ov_directory_url", "ov_event_loop_drain"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(dlsym(handle_, name), nullptr);
    }
}

}  // namespace
