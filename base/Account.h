#pragma once
// The user's account as the system knows it.

#include <string>

// The full name of the passwd entry (its first comma-separated field) when it has one,
// else the login name, else $USER; empty when none is known.
std::string AccountName();
