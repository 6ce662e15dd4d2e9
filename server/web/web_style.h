#pragma once
// The site's one stylesheet, served at /style.css: large text and targets, strong contrast,
// one column that fits a 360 px phone and reflows at 200 % zoom.
extern const char* const kWebStylesheet;
