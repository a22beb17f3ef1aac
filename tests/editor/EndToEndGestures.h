// What the host must have seen after the end-to-end gestures, the same on
// every window system.
#pragma once

#include <gtest/gtest.h>

#include "tools/hostlib/Effect.h"

namespace vsthost {

// A click that turned step 6 of the left input (parameter 5) off.
inline void expectStepSixTurnedOff(TestHost& host, Effect& effect) {
    EXPECT_EQ(effect.getParameter(5), 0.0f);
    const auto automated = host.requestsWithOpcode(stipplewave::audioMasterAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, 5);
    EXPECT_EQ(automated[0].opt, 0.0f);
}

// A drag of the randomise slider from its right end towards the left.
inline void expectRandomizeDragBracketed(TestHost& host, Effect& effect) {
    const auto begins = host.requestsWithOpcode(stipplewave::audioMasterBeginEdit);
    const auto ends = host.requestsWithOpcode(stipplewave::audioMasterEndEdit);
    const auto automated = host.requestsWithOpcode(stipplewave::audioMasterAutomate);
    ASSERT_EQ(begins.size(), 1u);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(begins[0].index, 33);
    EXPECT_EQ(ends[0].index, 33);
    ASSERT_GE(automated.size(), 2u);
    for (const auto& request : automated) {
        EXPECT_EQ(request.index, 33);
    }
    EXPECT_GT(effect.getParameter(33), 0.5f) << "dragged to the left, towards 1";
    EXPECT_EQ(automated.back().opt, effect.getParameter(33));
}

}  // namespace vsthost
