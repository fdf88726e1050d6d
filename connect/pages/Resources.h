#pragma once
// The images and forms' resources live in a static library: register them before first use.
void InitOrvconfResources();
