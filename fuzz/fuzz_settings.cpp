// Arbitrary settings documents through every key's conversion (ApplySettings) and the rewrite
// (UpdateSettings), in memory: what the rewrite stores reads back as the same settings, and a
// second rewrite changes nothing. (The parser alone: fuzz_ini; the file itself is the tests'.)

#include "FuzzPanel.h"

#include "storage/IniFile.h"
#include "storage/Settings.h"

#include <cstdlib>
#include <tuple>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// Every setting the file holds, as the state keeps it.
auto Settings(const PanelState& s)
{
    return std::make_tuple(s.OutputControlled, s.TcpIpMode, s.HideInhibits, s.DisplayList, s.StayOnTop, s.ServerPath,
                           s.RefreshRate, s.FileTimeOut, s.FileTimeOutTicks, s.IpPort, s.IpAddress, s.PollRate,
                           s.IpTimeOut, s.IpPassword, s.AutoReconnect, s.UserName, s.UserPassword);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    IniFile ini = IniFile::parse(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const PanelReset reset;
    FuzzPanel& f = FreshPanel();
    f.s.ErrorLogEnabled = false;
    if (!ApplySettings(f.panel, ini))
        return 0;
    const auto read = Settings(f.s);

    const SettingsUpdate first = UpdateSettings(f.s, ini);
    Check(first.failure.number == 0);
    const IniFile written = IniFile::parse(ini.toBytes());
    FreshPanel();  // the same panel, put back, reads the rewritten document
    f.s.ErrorLogEnabled = false;
    Check(ApplySettings(f.panel, written));
    Check(Settings(f.s) == read);

    IniFile again = written;
    const SettingsUpdate second = UpdateSettings(f.s, again);
    Check(!second.changed && second.failure.number == 0);
    return 0;
}
