#pragma once

#include <libpq-fe.h>

// The server's type numbers (pg_type.oid) that the readers of a server
// register read as numbers, bytes or dates of their own.
namespace ServerTypes {
enum : Oid {
    boolOid = 16,
    byteaOid = 17,
    int8Oid = 20,
    int2Oid = 21,
    int4Oid = 23,
    oidOid = 26,
    float4Oid = 700,
    float8Oid = 701,
    dateOid = 1082,
    timeOid = 1083,
    timestampOid = 1114,
    timestampTzOid = 1184,
    timeTzOid = 1266,
    numericOid = 1700,
};
} // namespace ServerTypes
