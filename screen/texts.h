// The texts the program shows, built from their pieces. CR alone breaks a
// line, never a line feed.
#pragma once

#include <string>

std::string WelcomeText(const std::string& version);
std::string AboutText(const std::string& version);
std::string HowToText();

// The maker's home page and the address parts the about box names.
extern const char* const kHomePage;
