// A listing parsed on a thread of its own while it is read: whatever pieces the reads bring, the
// entries, the raw bytes and the count come out as from one parse of the whole reply.
#include "platform/ftp/listing_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace tarvo::ftp::detail {
namespace {

using namespace std::chrono_literals;

const RemoteTime kNow{2024, 6, 15, 12, 0};

// A reply of many parts: LF and CR LF lines, unreadable lines, a name longer than a part, and a
// last line without its end.
std::string longReply() {
    std::string reply = "total 40000\r\n";
    for (int i = 0; i < 40000; ++i) {
        reply += "-rw-r--r-- 1 owner group " + std::to_string(i) + " Jan 15 2007 file" +
                 std::to_string(i) + (i % 2 ? "\r\n" : "\n");
        if (i % 997 == 0)
            reply += "no entry here\r\n";
        if (i == 20000)
            reply += "drwxr-xr-x 2 o g 4096 Mar 5 12:34 " + std::string(600 * 1024, 'n') + "\r\n";
    }
    return reply + "-rw-r--r-- 1 o g 7 Jan 1 2001 last";
}

struct Outcome {
    std::size_t count = 0;
    std::vector<RemoteEntry> entries;
    std::size_t unreadableLines = 0;
    std::string raw;
};

// Feeds the reply in reads of at most `piece` bytes, as readListing does.
Outcome readInPieces(const std::string& reply, std::size_t piece, bool withSink) {
    Outcome outcome;
    ListingSink sink;
    if (withSink) {
        sink.raw = [&](std::string_view bytes) { outcome.raw.append(bytes); };
        sink.entries = [&](std::vector<RemoteEntry>& entries, std::size_t expected) {
            std::move(entries.begin(), entries.end(), std::back_inserter(outcome.entries));
            EXPECT_GE(expected, outcome.entries.size()) << "at least those handed over";
        };
    }
    Listing listing;
    {
        ListingPipeline pipeline(sink, kNow, listing);
        for (std::size_t at = 0; at < reply.size();) {
            const std::span<char> room = pipeline.room();
            const std::size_t size = std::min({piece, room.size(), reply.size() - at});
            std::memcpy(room.data(), reply.data() + at, size);
            at += size;
            pipeline.received(size, reply.size() - at);
        }
        outcome.count = pipeline.finish();
    }
    if (!withSink)
        outcome.entries = std::move(listing.entries);
    outcome.unreadableLines = listing.unreadableLines;
    return outcome;
}

bool sameEntry(const RemoteEntry& a, const RemoteEntry& b) {
    return std::tie(a.name, a.directory, a.link, a.size, a.time, a.mode) ==
           std::tie(b.name, b.directory, b.link, b.size, b.time, b.mode);
}

TEST(ListingPipeline, AnyPiecesGiveTheEntriesOfOneParseInOrder) {
    const std::string reply = longReply();
    Listing whole;
    appendListing(reply, kNow, whole);
    ASSERT_EQ(std::tuple(whole.entries.size(), whole.unreadableLines), std::tuple(40002u, 41u));
    for (const std::size_t piece :
         {std::size_t{1000}, std::size_t{4093}, std::size_t{65536}, std::size_t{1} << 30}) {
        for (const bool withSink : {false, true}) {
            SCOPED_TRACE(std::to_string(piece) + (withSink ? " bytes, sink" : " bytes"));
            const Outcome outcome = readInPieces(reply, piece, withSink);
            EXPECT_EQ(std::tuple(outcome.count, outcome.entries.size(), outcome.unreadableLines),
                      std::tuple(whole.entries.size(), whole.entries.size(), 41u));
            const auto [ours, theirs] =
                std::mismatch(outcome.entries.begin(), outcome.entries.end(), whole.entries.begin(),
                              whole.entries.end(), sameEntry);
            EXPECT_TRUE(ours == outcome.entries.end())
                << "first difference at entry " << ours - outcome.entries.begin();
            EXPECT_TRUE(!withSink || outcome.raw == reply) << "the raw copy, byte for byte";
        }
    }
}

TEST(ListingPipeline, AnEmptyReplyGivesNothing) {
    for (const bool withSink : {false, true}) {
        const Outcome outcome = readInPieces("", 1, withSink);
        EXPECT_EQ(std::tuple(outcome.count, outcome.entries.size(), outcome.raw),
                  std::tuple(0u, 0u, ""));
    }
}

// Feeds up to `bytes` of listing lines; returns early when the pipeline throws.
void feed(ListingPipeline& pipeline, std::size_t bytes) {
    const std::string line = "-rw-r--r-- 1 o g 1 Jan 1 2001 name\r\n";
    for (std::size_t fed = 0; fed < bytes;) {
        const std::span<char> room = pipeline.room();
        std::size_t size = 0;
        for (; size + line.size() <= room.size() && size < 64 * 1024; size += line.size())
            std::memcpy(room.data() + size, line.data(), line.size());
        pipeline.received(size, 0);
        fed += size;
    }
}

// A failing sink stops the parse; the reading goes on to its end, however long, and the failure
// comes out of finish(). A reading that fails itself leaves the pipeline without finishing it.
TEST(ListingPipeline, AFailureOnEitherSideEndsItWithoutWaitingForTheOther) {
    auto outcome = std::async(std::launch::async, [] {
        std::size_t parts = 0;
        ListingSink sink;
        sink.entries = [&](std::vector<RemoteEntry>&, std::size_t) {
            if (++parts == 2)
                throw std::runtime_error("no room");
        };
        Listing listing;
        ListingPipeline pipeline(sink, kNow, listing);
        feed(pipeline, 64 * 1024 * 1024);
        try {
            pipeline.finish();
        } catch (const std::runtime_error& error) {
            return std::tuple(parts, std::string(error.what()));
        }
        return std::tuple(parts, std::string("no failure"));
    });
    ASSERT_EQ(outcome.wait_for(60s), std::future_status::ready) << "the reading waits for ever";
    EXPECT_EQ(outcome.get(), std::tuple(2u, "no room"));

    auto dropped = std::async(std::launch::async, [] {
        std::atomic<std::size_t> parts = 0;
        ListingSink sink;
        sink.entries = [&](std::vector<RemoteEntry>&, std::size_t) { ++parts; };
        Listing listing;
        {
            ListingPipeline pipeline(sink, kNow, listing);
            feed(pipeline, 16 * 1024 * 1024);
        }
        return parts.load();
    });
    ASSERT_EQ(dropped.wait_for(60s), std::future_status::ready);
    EXPECT_LE(dropped.get(), 16 * 1024 * 1024 / (128 * 1024)) << "no more than was handed over";
}

} // namespace
} // namespace tarvo::ftp::detail
