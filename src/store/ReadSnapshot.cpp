#include "ReadSnapshot.h"

#include "Connection.h"
#include "StoreError.h"

ReadSnapshot::ReadSnapshot(Connection &connection) : m_connection(connection)
{
    try {
        m_connection.beginRead();
        m_reading = true;
    } catch (const StoreError &) {
    }
}

ReadSnapshot::~ReadSnapshot()
{
    if (m_reading)
        m_connection.rollbackTrans();
}
