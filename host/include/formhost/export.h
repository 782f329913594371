// Marks what libformhost exports to modules and front ends; the rest is hidden.
#pragma once

#define FH_API __attribute__((visibility("default")))
