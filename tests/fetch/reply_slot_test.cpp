#include "fetch/reply_slot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace lanyi {
namespace {

using Clock = std::chrono::steady_clock;

ByteBuffer bytes(const std::string& text) { return ByteBuffer(std::string(text)); }

TEST(ReplySlot, AReplyGivenBeforeOrDuringTheWaitIsTaken) {
    ReplySlot early;
    early.fulfil(bytes("early"));
    EXPECT_TRUE(early.done());
    EXPECT_EQ(early.wait(std::nullopt)->view(), "early");

    ReplySlot late;
    EXPECT_FALSE(late.done());
    std::thread network([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        late.fulfil(bytes("late"));
    });
    std::optional<ByteBuffer> reply = late.wait(Clock::now() + std::chrono::seconds(30));
    network.join();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->view(), "late");
}

TEST(ReplySlot, AtTheDeadlineTheCallerGivesUpAndALateReplyIsDropped) {
    ReplySlot slot;
    const auto deadline = Clock::now() + std::chrono::milliseconds(30);
    EXPECT_FALSE(slot.wait(deadline));
    EXPECT_GE(Clock::now(), deadline);
    EXPECT_TRUE(slot.done());
    slot.fulfil(bytes("too late"));  // dropped, touches nothing the caller reads
    EXPECT_TRUE(slot.done());
}

TEST(ReplySlot, OfRacingRepliesExactlyOneArrives) {
    for (int round = 0; round < 200; ++round) {
        auto slot = std::make_shared<ReplySlot>();
        std::vector<std::thread> senders;
        for (int i = 0; i < 3; ++i)
            senders.emplace_back([slot, i] { slot->fulfil(ByteBuffer(std::string(1, static_cast<char>('a' + i)))); });
        // Half the rounds wait with a deadline that may pass during the race.
        ReplySlot::Deadline deadline;
        if (round % 2) deadline = Clock::now() + std::chrono::microseconds(50);
        std::optional<ByteBuffer> reply = slot->wait(deadline);
        for (auto& sender : senders) sender.join();
        if (reply) {
            ASSERT_EQ(reply->size(), 1u);
            EXPECT_TRUE(reply->view() == "a" || reply->view() == "b" || reply->view() == "c");
        } else {
            EXPECT_TRUE(deadline.has_value());
        }
    }
}

}  // namespace
}  // namespace lanyi
