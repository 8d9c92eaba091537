#pragma once

// The simulator's File-mode server: a router's network data files in a temporary directory.

#include "FileServer.h"
#include "RouterModel.h"

#include <QTemporaryDir>

struct SimFiles {
    QTemporaryDir dir;
    RouterModel model;
    FileServer server;

    explicit SimFiles(const RouterModel::Config& config = {}) : model(config), server(model, Options(dir.path())) {}
    bool start() { return server.start(); }
    QString path() const { return dir.path() + u'/'; }

private:
    static FileServerOptions Options(const QString& directory)
    {
        FileServerOptions options;
        options.directory = directory;
        return options;
    }
};
