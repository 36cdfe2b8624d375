#pragma once

#include <cstdint>
#include <string>

// Where the rows a command was built from were listed: a folder of a local panel, or a folder of
// one FTP connection shown in it. The command carries it, so that it acts on the entries the user
// saw and confirmed, or on nothing: its paths are built from this folder, never from wherever the
// worker is when the command runs, and a connection that ended or a panel that changed between
// local and FTP meanwhile refuses it.
struct RowOrigin {
    int Panel = 2;             // 2 left, 1 right
    std::uint64_t Session = 0; // the generation of the FTP connection; 0 for a local folder
    std::string Folder;        // the folder the rows were listed from

    bool remote() const { return Session != 0; }
};

// Why a command the user gave was not taken. The status line says so until the workers have
// nothing left to run.
enum class Refusal {
    JobRunning,      // a long job (copy, transfer, delete, pack) runs or waits
    CommandsWaiting, // too many commands wait for the worker already
    FolderOpening,   // the panels wait while a folder is being opened
    SourceGone,      // the rows came from a connection or folder the panel no longer shows
};
