// What the program relies on from CreateObject when the server is missing:
// the start test treats any failure as "Word does not start".
#include "support/TestMachine.h"

#include <gtest/gtest.h>

namespace {

TEST(AutomationContract, AnUnregisteredProgIdFailsWithInvalidClassString) {
    auto machine = qvxtest::TestMachine::Create();
    struct Case {
        const char* progId;
    } cases[] = {{"QuorvexTest.NoSuchServer"}, {"Word.Application.99"}, {""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.progId);
        std::unique_ptr<os::AutomationObject> object;
        os::AutoError error;
        int32_t hr = machine->Api().CreateObject(c.progId, &object, &error);
        EXPECT_EQ(static_cast<int32_t>(0x800401F3u), hr);  // CO_E_CLASSSTRING
        EXPECT_EQ(hr, error.number);
        EXPECT_FALSE(error.description.empty());
        EXPECT_FALSE(object);
    }
}

}  // namespace
