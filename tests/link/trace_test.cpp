// The line trace of one download: every frame in order, in hexadecimal, with its time.
#include "image/settings_image.h"
#include "link/device_link.h"
#include "link/frame_codec.h"
#include "link/line_trace.h"
#include "link/transactions.h"
#include "memory_line.h"
#include "scripted_processor.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(LineTrace, HoldsTheFramesOfADownloadInOrderWithTheirTimes) {
    testsupport::MemoryLine line;
    testsupport::ScriptedProcessor processor(line);
    std::ostringstream out;
    SettingsImage image;
    FrameCodec codec;
    {
        TracingLine tracing(line, out);
        SerialDeviceLink link(tracing, codec);
        ASSERT_EQ(link.CheckLink(image), LinkOk);
        ASSERT_EQ(link.ReadSystemSetup(image), LinkOk);
        for (int block = 0; block < 3; ++block)
            ASSERT_EQ(link.ReadAudioSetup(block, image), LinkOk);
    }
    std::vector<std::string> lines = Lines(out.str());
    // The run's first line: when it began, to the millisecond with the offset from UTC, and the
    // program.
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(std::regex_match(
        lines.front(),
        std::regex(
            R"(=== \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d  vrx3km \S+  port .*)")))
        << lines.front();
    lines.erase(lines.begin());
    // The drain's silence, then request and reply for the check and each of the four reads.
    ASSERT_EQ(lines.size(), 11u) << out.str();
    EXPECT_EQ(lines[0], "    1000 ms  silence");
    const char* const requests[] = {"10 02 01 10 03", "10 02 01 10 03", "10 02 02 00 10 03",
                                    "10 02 02 01 10 03", "10 02 02 02 10 03"};
    long previous = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        const std::string& sent = lines[1 + 2 * i];
        const std::string& received = lines[2 + 2 * i];
        EXPECT_EQ(sent.substr(13), std::string("sent      ") + requests[i]);
        EXPECT_EQ(received.substr(13, 19), i < 2 ? "received  10 02 12 " : "received  10 02 13 ");
        EXPECT_EQ(received.substr(received.size() - 5), "10 03") << received;
        // Times never go back, and every reply takes its line time.
        const long sentAt = std::stol(sent.substr(0, 8));
        const long receivedAt = std::stol(received.substr(0, 8));
        EXPECT_GE(sentAt, previous);
        EXPECT_GE(receivedAt, sentAt);
        previous = receivedAt;
    }
    // The drain's second, then two system and two audio replies of 130 and 228 bytes and more
    // at about a millisecond a byte, before the last reply starts.
    EXPECT_GE(previous, 1000 + 2 * 130 + 2 * 228);
}

} // namespace
