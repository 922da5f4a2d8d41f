// The package's tests start the package as an application does: once, before any form.
#include "QelObjCntrl.h"

#include <gtest/gtest.h>

namespace {

class TPackageEnvironment : public ::testing::Environment {
public:
    void SetUp() override { QelObjCntrl::Initialize(); }
    void TearDown() override { QelObjCntrl::Finalize(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new TPackageEnvironment);

} // namespace
