#pragma once

// Codes of the remote worker's mailbox (network work, deletes, and local navigation that must
// run off the GUI thread).
enum RemoteCode : int {
    cmdConnect = 1,
    cmdChangeDir = 2,
    cmdDownload = 3,
    cmdUpload = 4,
    cmdOpenEntry = 5,
    cmdLeftPanelUp = 6,
    cmdRemoteUp = 7,
    cmdRemoteRoot = 8,
    cmdDelete = 9,
    cmdChmod = 10,
    cmdRemoteTree = 12,
    cmdRename = 27,
    cmdRefreshRemote = 28,
    cmdFilterRemote = 29,
    cmdSaveAs = 34,
    cmdEditRemote = 127,
    cmdRawCommand = 160,
    cmdRefreshPanels = 555,
    cmdGoToSpecialFolder = 565,
    cmdReadFolder = 570, // a folder into a local panel (drive box, root, mask, refresh, locations)
    cmdOpenRemoteFolder = 571, // a saved folder of the connected site, by its full path
    // Of our own: the make-directory command asks the name on the screen and has the server
    // work done here.
    cmdRemoteMkDir = 70,
};

// Codes of the local worker's mailbox (local copy and move, and the changes of single entries,
// which a stalled file system would otherwise hold on the GUI thread).
enum LocalCode : int {
    cmdLocalOpenLeft = 5,
    cmdLocalUp = 6,
    cmdLocalAttributes = 10,
    cmdLocalCopy = 16,
    cmdLocalTree = 18,
    cmdLocalRename = 27,
    cmdLocalMkDir = 70,
    cmdLocalDrop = 166,
    cmdLocalReset = 188,
};
