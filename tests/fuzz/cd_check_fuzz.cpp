// Fuzzes the CD poll over arbitrary device answers: whatever the drive says,
// the poll never crashes, sends only the commands it may send, and gives up
// only for the reasons it may give up for.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "background_music.h"
#include "fakes.h"
#include "fuzz_input.h"

namespace {

// Splits the input into the answers and codes the drive gives, in order.
class Answers : public vessmark::fuzz::ByteReader {
public:
    using ByteReader::ByteReader;

    vessmark::testing::FakeMultimedia::Reply Next()
    {
        vessmark::testing::FakeMultimedia::Reply reply;
        const std::uint8_t control = Byte();
        reply.Code = (control & 0x80) != 0 ? 256u + (control & 0x3F) : 0u;
        reply.WritesAnswer = (control & 0x40) == 0;
        const std::size_t length = Byte() % 40;
        for (std::size_t i = 0; i < length && !Done(); ++i) {
            reply.Answer += static_cast<char>(Byte());
        }
        return reply;
    }
};

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Answers answers(data, size);
    vessmark::FrontEndState state;
    state.BgmRepeat = static_cast<std::int16_t>(static_cast<std::int8_t>(answers.Byte()) % 5);
    vessmark::testing::FakeMultimedia port;
    port.ErrorTexts[266] = "cannot load driver";
    port.Script = [&](const std::string&) { return answers.Next(); };
    vessmark::BackgroundMusic music(state, port);

    for (int poll = 0; poll < 16 && !answers.Done(); ++poll) {
        port.Commands.clear();
        music.CdCheck();
        const auto& sent = port.Commands;
        if (sent.empty() || sent[0] != "status cdaudio current track") {
            std::abort();
        }
        for (std::size_t i = 0; i < sent.size(); ++i) {
            const std::string& command = sent[i];
            const bool allowed = (i == 0 && command == "status cdaudio current track") ||
                                 (i == 1 && command == "status cdaudio number of tracks") ||
                                 (i == 2 && command == "status cdaudio mode") ||
                                 (i == 3 && (command == "play cdaudio" ||
                                             command == "status cdaudio position track " +
                                                            std::to_string(state.BgmRepeat))) ||
                                 // an empty position answer leaves a plain play
                                 (i == 4 && (command == "play cdaudio" || StartsWith(command, "play cdaudio from ")));
            if (!allowed) {
                std::abort();
            }
        }
        // Polling ends only when a query before the mode was refused or the
        // track could not be read; a play is never sent in that poll.
        if (!state.CdActive && sent.size() > 3) {
            std::abort();
        }
    }
    return 0;
}
