#pragma once

#include "RouterModel.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

struct FileServerOptions {
    QString directory;
    // Use the classic 256 x 256 files for any router that fits them; otherwise they are used
    // only for a type 1201 router of exactly 256 x 256.
    bool preferClassic = false;
    bool connected = true;  // Status.ndf byte 0
    int scanMilliseconds = 50;
};

// The router's server software in File mode, without sockets: keeps the network data files of
// a RouterModel in one directory and carries out the takes in the command files that panels
// drop there. Every file is replaced whole (temporary file and rename), so a panel never reads a
// half-written one. The crosspoint map gets a new stamp byte (1 to 255, never 0) on every
// rewrite; the names, inhibit and status files get a modification time that differs from the
// previous one at one-second resolution, even when rewritten within the same second.
//
// The model may be shared with a SimServer: give setRouter() the server's route() so that takes
// from files reach TCP panels, and call crosspointsChanged() on its takeReported().
class FileServer final : public QObject {
    Q_OBJECT
public:
    enum class Layout { Classic, Extended };
    enum class Outage { Removed, Unreadable };
    // How far ahead of the clock a modification time may be pushed to keep times distinct.
    static constexpr int MaxTimeLeadSeconds = 60;
    // A command file shorter than its layout is left alone this long (the panel may be
    // writing it), then dropped.
    static constexpr int ShortCommandGraceSeconds = 2;

    FileServer(RouterModel& model, FileServerOptions options, QObject* parent = nullptr);
    ~FileServer() override;

    static Layout chooseLayout(const RouterModel& model, bool preferClassic);
    Layout layout() const { return m_layout; }
    QString directory() const { return m_options.directory; }
    // Full path of a file in the directory.
    QString path(const QString& fileName) const;
    // The data files of the layout in use, "Status.ndf" last.
    QStringList dataFiles() const;

    // Creates the directory when needed, removes data files of the other layout (and copies of
    // ours under another letter case), writes every file and starts the scan timer.
    bool start(QString* error = nullptr);

    // One look at the directory: carries out and deletes every command file, then writes what
    // is still pending. Does nothing during an outage.
    void scan();

    // How a take from a command file is carried out; by default straight on the model.
    void setRouter(std::function<bool(const Crosspoint&)> router) { m_router = std::move(router); }

    // Tell the server that the model changed; the file is rewritten at once (after the scan
    // when called from within one).
    void crosspointsChanged();
    void namesChanged();
    void inhibitsChanged();

    bool connected() const { return m_options.connected; }
    void setConnected(bool connected);

    quint8 stamp() const { return m_stamp; }

    // The server goes away: its files are removed or made unreadable, commands are left lying
    // and changes are only remembered. endOutage() brings every file back, rewritten.
    void beginOutage(Outage kind = Outage::Removed);
    void endOutage();
    bool inOutage() const { return m_outage; }
    // An outage of forMs that begins afterMs from now.
    void scheduleOutage(int afterMs, int forMs, Outage kind = Outage::Removed);

Q_SIGNALS:
    // A command file was consumed; carriedOut is false for a refused take or a short file.
    void commandConsumed(const QString& fileName, int source, int destination, bool carriedOut);
    void writeFailed(const QString& fileName, const QString& error);
    void outageChanged(bool inOutage);

private:
    enum Pending { Names = 1, Crosspoints = 2, Inhibits = 4, StatusFlag = 8, All = 15 };

    void mark(int files);
    void flush();
    bool writeFile(const QString& name, const QByteArray& bytes, bool newTime);
    void consume(const QString& name, bool wide);
    void removeStrayFiles();

    RouterModel& m_model;
    FileServerOptions m_options;
    Layout m_layout;
    QTimer* m_scanTimer;
    std::function<bool(const Crosspoint&)> m_router;
    int m_pending = 0;
    quint8 m_stamp = 0;
    bool m_scanning = false;
    bool m_outage = false;
    Outage m_outageKind = Outage::Removed;
};
