// Shared names of the browser core: the tree keys and the image list indexes
// that the tree and the message list share.
#pragma once

namespace qx {

// Index of the tree key combo; also stored as "SortType".
enum TreeKey : int {
    tkDateUser = 0,  // year / month / day / user
    tkDateHost = 1,  // year / month / day / host[user]
    tkUser = 2,      // user / year / month / day
    tkHost = 3,      // host[user] / year / month / day
    tkDate = 4,      // year / month / day
};

inline bool IsHostKey(int treeKey) {
    return treeKey == tkDateHost || treeKey == tkHost;
}

// Indexes into the 16x16 image list shared by the tree and the list.
enum BrowseImage : int {
    kImageNone = -1,
    kImageFolder = 0,      // year, month, day, folder rows
    kImageFolderOpen = 1,  // a date node while selected
    kImageBin = 2,         // the deleted-messages node
    kImageBinOpen = 3,
    kImagePerson = 4,  // user or host[user] node
    kImagePersonRed = 5,
    kImageClip = 6,     // message with an attachment line
    kImageOneUser = 7,  // one addressee line
    kImageUsers = 8,    // several addressee lines
    kImageBroadcast = 9,
    kImageLock = 10,      // encrypted body
    kImageEnvelope = 11,  // Base64-encoded body
};

}  // namespace qx
