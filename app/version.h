#pragma once
// One source for the version numbers, read by the resource script and the code.
#define CALLWARDEN_VERSION_MAJOR 1
#define CALLWARDEN_VERSION_MINOR 0
#define CALLWARDEN_VERSION_PATCH 0
#define CALLWARDEN_VERSION_BUILD 100
#define CALLWARDEN_VERSION_TEXT "1.0.0.100"
#define CALLWARDEN_COMPANY_NAME "Olvex Ltd"
#define CALLWARDEN_PRODUCT_NAME "Olvex Callwarden"
#define CALLWARDEN_EXE_NAME "Olvex-Callwarden.exe"
