#pragma once
// /callwarden: what the program does, its two plans (#pricing) and how to subscribe.
#include "web_request.h"

WebAnswer pricing_page();
