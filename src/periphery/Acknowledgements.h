#pragma once
// The acknowledgements document (the libraries we use and their licences), shipped inside
// the program as a resource and opened with the desktop's handler for rich text. The
// handler needs a file: the installed copy when the program runs from its install folder,
// else the resource written to the user's cache folder. GUI thread.

#include <QString>

#include <optional>

namespace zembra {

// The resource the document is shipped as.
inline const QString kAcknowledgementsResource = QStringLiteral(":/documents/Acknowledgements.rtf");

// A file holding the document: `installedFile` when it exists, else the resource written
// (whole, by rename) to `scratchFolder`/Acknowledgements.rtf. Nothing when the resource is
// missing or the file cannot be written.
std::optional<QString> acknowledgementsFile(const QString &installedFile,
                                            const QString &scratchFolder);

// Opens the document with the system's handler; false when there was nothing to open
// or nothing took it.
bool openAcknowledgements();

} // namespace zembra
