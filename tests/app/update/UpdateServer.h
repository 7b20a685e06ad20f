#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <filesystem>

namespace kelvarn::testing {

// update_server.py serving one folder on 127.0.0.1 and a free port, for the life of the object.
class UpdateServer final {
public:
    explicit UpdateServer(const std::filesystem::path& folder);
    ~UpdateServer();
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    QUrl url(const QString& path) const;
    // The paths requested so far, oldest first.
    QStringList requests();
    // Lets the answer to the request held at /hold/… or /trickle/… go.
    void release();

private:
    QProcess m_process;
    quint16 m_port = 0;
    QStringList m_requests;
};

} // namespace kelvarn::testing
