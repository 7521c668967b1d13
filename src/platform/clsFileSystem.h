// Questions about paths and the file and folder operations the program needs.
// The class holds nothing between calls; create one where it is needed.
// The pure text operations are static: they need no machine.
#pragma once

#include "platform/Services.h"

#include <string>

namespace platform {

class clsFileSystem {
public:
    explicit clsFileSystem(const Services& services) : services_(services) {}

    // True for an existing file or folder.
    bool FileExist(const std::string& strFile);
    // Asks "Overwrite File?" when FileName is a file in the current folder and
    // deletes it on Yes. Writes nothing itself.
    void Save(const std::string& FileName);
    // True only for the bare name of an existing file in the current folder,
    // spelt exactly as the listing spells it.
    bool FileReal(const std::string& FileName);
    // "512B", "1.0312KB", "2048KB"; "0B" when the length cannot be read.
    std::string GetFileSize(const std::string& FileName);
    // "Archive", "ReadOnly", ... for one attribute, the decimal number for a
    // combination ("33"), "Unknown" when the attributes cannot be read.
    std::string GetAttrib(const std::string& FileName);
    // Replace the whole attribute set; failures are ignored.
    void SetHidden(const std::string& FileName);
    void SetReadOnly(const std::string& FileName);
    void SetSystem(const std::string& FileName);
    void SetNormal(const std::string& FileName);
    // The extension of 1 to 4 characters after the last ".", without the dot;
    // "Unknown" when there is none.
    static std::string GetFileExtension(const std::string& FileName);
    // Last-modified date and time in the user's format; empty on failure.
    std::string GetFileDate(const std::string& FileName);
    // Deletes a file, or every match of "*" and "?" in the last component.
    // Says "Error deleting File" on failure.
    void DeleteFile(const std::string& FileName);
    // Copies, overwriting Destination; failures are ignored.
    void CopyFile(const std::string& Source, const std::string& Destination);
    // Copies, then deletes Source. Says "Error moving File" on failure.
    void MoveFile(const std::string& Source, const std::string& Destination);
    // Creates one folder; failures are ignored.
    void MakeDIR(const std::string& Path);
    // Removes an empty folder. Says "Error removing Directory" on failure.
    void RemoveDIR(const std::string& Path);
    void CloseAllFiles();
    static std::string GetFileBaseName(const std::string& FileName, bool IncludePath);
    static std::string GetFileName(const std::string& strPath);
    static std::string GetPath(const std::string& PathFile);
    // Creates every missing folder along a full path ("C:\..." or
    // "\\server\share\..."). Raises a file error on failure.
    void CreateDirectoryStruct(const std::string& CreateThisPath);
    static std::string sRemoveLastChar(const std::string& sPassString);
    static std::string LastChar(const std::string& strText);
    // Deletes everything inside the folder and keeps the folder; appends a
    // trailing "\" to sPath. Raises a file error on failure.
    void CleanAllPath(std::string& sPath);

private:
    void Say(const std::string& text);

    Services services_;
};

}  // namespace platform
