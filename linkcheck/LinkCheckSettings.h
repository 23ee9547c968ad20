#pragma once

// How hard and how long a link check may ask.
struct LinkCheckSettings
{
    int jobs = 16;           // requests in flight in all
    int perHost = 2;         // requests in flight to one host
    int timeoutMs = 10000;   // for one request, from sending it to its last header
    int retryDelayMs = 1000; // pause before the one retry after a transient failure
};
