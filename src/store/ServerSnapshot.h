#pragma once

class ServerDatabase;

// A read-only transaction on the server that sees the register as it was at
// its first statement, whatever other PCs write meanwhile: a check or a
// copy reads one consistent register. Ended (rolled back) with the object.
class ServerSnapshot
{
public:
    // Raises StoreError when the server refuses.
    explicit ServerSnapshot(ServerDatabase &server);
    ~ServerSnapshot();
    ServerSnapshot(const ServerSnapshot &) = delete;
    ServerSnapshot &operator=(const ServerSnapshot &) = delete;

private:
    ServerDatabase &m_server;
};
