#pragma once
// The body of a request's worker thread.
#include "service/service_types.h"

// Sends the request to the vendor's service host and delivers the result.
// Takes ownership of `request`.
void service_worker(ServiceRequest* request);

// The same against another host name on port 443; the shipped program always
// goes through service_worker. Lets tests aim at hosts that do not resolve or
// present a certificate nobody trusts.
void service_worker_to_host(ServiceRequest* request, const wchar_t* host);
