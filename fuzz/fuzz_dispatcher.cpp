// Feeds arbitrary bytes from the Server Module through the receive path, the dispatcher and
// every message handler.

#include "FuzzPanel.h"

#include "protocol/TcpComm.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const PanelReset reset;
    FuzzPanel& f = FreshPanel();
    PanelState& s = f.s;
    s.ErrorLogEnabled = false;
    s.TcpIpMode = true;
    s.Connected = true;

    // The first byte picks the panel's situation, so handlers see both the loading and the
    // populated panel, and the system types with an OFF source.
    const std::uint8_t mode = data[0];
    static const int types[] = {0, 1201, 1301, 1351};
    s.SystemType = types[mode & 3];
    if (mode & 4) {
        s.PendingTables = 0;
        s.PanelPopulated = true;
    }
    s.HideInhibits = (mode & 8) != 0;
    s.OutputControlled = (mode >> 4) * 17;
    ++data;
    --size;

    // Deliver in pieces of varying size, as a socket would, and drain the buffer the way the
    // decode timer does: only while it runs. It stops on a buffer that holds only the start of a
    // frame; ticking on would rescan that frame for every tick, the whole run's cost.
    std::size_t at = 0;
    while (at < size) {
        const std::size_t piece = std::min<std::size_t>(size - at, 1 + (data[at] % 97) * 7);
        scktServer_DataArrival(f.panel, QByteArray(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(piece)));
        at += piece;
        for (int tick = 0; tick < 4 && f.link.decodeTimerEnabled; ++tick)
            tmrDecode_Timer(f.panel);
        if (at % 3 == 0)
            PollTick(f.panel);
    }
    for (std::size_t tick = 0; tick <= size && f.link.decodeTimerEnabled; ++tick)
        tmrDecode_Timer(f.panel);
    return 0;
}
