// Whole-file reading and writing for the settings store. Reading is bounded; writing goes to
// a temporary file beside the target that then replaces it in one step, so a crash or a full
// disk in the middle of a save keeps the previous file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct CFileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
using CFilePtr = std::unique_ptr<std::FILE, CFileCloser>;

CFilePtr OpenFileW(const std::wstring& szPath, const char* szMode);

enum class FileReadStatus { Ok, CannotOpen, TooLarge, IoError };

// Reads the whole file in blocks of 1024 bytes; more than nMaxBytes is TooLarge.
FileReadStatus ReadWholeFile(const std::wstring& szPath, const char* szMode, size_t nMaxBytes,
                             std::vector<uint8_t>& bytes);

bool WriteFileAtomically(const std::wstring& szPath, std::span<const uint8_t> bytes);

bool FileExistsW(const std::wstring& szPath);
bool RemoveFileW(const std::wstring& szPath);

// The platform's half of an atomic write (FileReplacePosix.cpp, win/FileReplaceWin.cpp).
bool CommitFileToDisk(std::FILE* pFile);
bool ReplaceFileAtomically(const std::wstring& szFrom, const std::wstring& szTo);
