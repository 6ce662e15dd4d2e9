#pragma once
// /callwarden: what the program does, its two plans (#pricing) and how to subscribe.
#include "web/web_request.h"

WebAnswer pricing_page();
