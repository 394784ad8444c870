#pragma once
// The benchmark's made-up Start Menu: names from a vocabulary of made-up words, each entry
// naming one of IconFiles icon files.
#include "kestentry/ShortcutEntry.h"
#include <string>
#include <vector>

constexpr int IconFiles = 500;

std::vector<std::wstring> makeVocabulary();
// The path of icon file number in folder.
std::wstring iconFile(const std::wstring& folder, int number);
// size entries of one to three vocabulary words, their icons in the folder icons.
kest::ShortcutIndex makeIndex(int size, const std::vector<std::wstring>& vocabulary, const std::wstring& icons);
