#pragma once

class Connection;

// For as long as it lives, the connection's statements read one state of
// the database (a read transaction), so that a row and its version agree.
// Where no read transaction can be begun, reads go on without one.
class ReadSnapshot
{
public:
    explicit ReadSnapshot(Connection &connection);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot &) = delete;
    ReadSnapshot &operator=(const ReadSnapshot &) = delete;

private:
    Connection &m_connection;
    bool m_reading = false;
};
