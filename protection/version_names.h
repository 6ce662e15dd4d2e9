#pragma once
// The listed tool that an executable file's version resource names, read through the
// platform's version API.

// Index into remote_tools of the tool named by the file's OriginalFilename or InternalName
// (in any of the languages the resource lists), or -1 when it names none, has no version
// resource or cannot be read.
int version_resource_tool_index(const wchar_t* path);
