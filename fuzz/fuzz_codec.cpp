// Arbitrary bytes through the seven-bit codec alone: the framing that cuts messages out of a
// receive buffer, the checked message reader, and the builder's messages read back whole.

#include "codec/ByteManipulation.h"
#include "codec/MessageReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// Reads a message with the reader as a handler would, steered by its own bytes, and checks that
// the reader never claims more than the message holds.
void Read(const QByteArray& message)
{
    MessageReader in(message);
    qsizetype read = 0;
    for (int step = 0; step < 64 && in.ok(); ++step) {
        const qsizetype before = in.remaining();
        switch ((message.size() + step) % 4) {
        case 0: in.byte(); break;
        case 1: in.int14(); break;
        case 2: in.bytes(step % 7); break;
        default: in.skip(step % 5); break;
        }
        if (in.ok())
            read += before - in.remaining();
    }
    Check(!in.ok() || read + in.remaining() + 3 == message.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray buffer(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // Every message cut out is a single-byte link message or a frame that ends in 0xFF with no
    // other high-bit byte in it; the buffer only ever shrinks.
    for (qsizetype before = buffer.size(); !buffer.isEmpty(); before = buffer.size()) {
        const QByteArray message = CutMessage(buffer);
        Check(buffer.size() < before || message.isEmpty());
        if (message.isEmpty()) {
            if (buffer.size() == before)
                break;  // the start of a frame: more bytes would complete it
            continue;
        }
        if (message.size() == 1 && IsSingleByteMessage(ByteAt(message, 0)))
            continue;
        Check(ByteAt(message, 0) & 0x80);
        Check(ByteAt(message, message.size() - 1) == Cmd::EndOfMessage);
        for (qsizetype i = 1; i + 1 < message.size(); ++i)
            Check(!(ByteAt(message, i) & 0x80));
        IsSevenBitMessage(message);
        Read(message);
    }

    // A message built from the input's numbers is cut out whole and passes its checksum.
    MessageBuilder builder(Cmd::AlphaTable);
    for (std::size_t i = 0; i + 1 < size && i < 64; i += 2)
        builder.int14((data[i] | (data[i + 1] << 8)) & MaxInt14);
    QByteArray built = builder.finish();
    const QByteArray whole = built;
    Check(CutMessage(built) == whole && built.isEmpty());
    Check(IsSevenBitMessage(whole));
    return 0;
}
