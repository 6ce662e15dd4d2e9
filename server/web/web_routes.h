#pragma once
// The web site on the web host: one table of routes (path, method, whether it needs a session,
// handler), and the checks every request passes before its handler: the method, the form's
// size and type, the session cookie and, for every form, its CSRF token.
#include "core/service_context.h"
#include "web/web_request.h"

WebAnswer handle_web_request(ServiceContext* context, const WebRequest& request);
