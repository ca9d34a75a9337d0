#pragma once

// The number of rows and the sum of one field over them.
struct ReportTotal
{
    int count = 0;
    double sum = 0;
};
