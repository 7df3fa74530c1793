// Installs the headless backend for the layer's tests, which drive the layer
// in process: no script, virtual time running on to the next timer.
#include "tests/support/headless_fixture.h"

#include <gtest/gtest.h>

namespace {

struct HeadlessEnvironment : ::testing::Environment {
    void SetUp() override {
        plat::HeadlessBackend& b = test_backend();
        b.end_code = -1;
        plat::set_backend(&b);
    }
};

const auto* registered = ::testing::AddGlobalTestEnvironment(new HeadlessEnvironment);

}  // namespace

plat::HeadlessBackend& test_backend() {
    static plat::HeadlessBackend backend(nullptr);
    return backend;
}
