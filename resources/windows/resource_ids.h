// Identifiers shared by pellorin.rc and the program.
#pragma once

#define IDI_PELLORIN 1
