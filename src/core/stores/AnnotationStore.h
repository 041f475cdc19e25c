// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/common/FileOperations.h"
#include "core/common/InputFile.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tolvane {

// The annotations of one user base: one Windows-1252 text per article, kept
// in base.NOT between runs (layout in AnnotationFile.h). The annotation pane
// holds one store, calls LoadAnnotation for the article it shows and
// CommitAnnotation with its edit control's text; the store holds no text but
// the one last loaded or committed.
//
// Every committed text is appended to base.NO$ and on the disk before
// CommitAnnotation returns, so a run that ends without SaveAnnotations (a
// crash, a kill, a power cut) loses nothing: the next OpenAnnotations folds
// the texts it finds in .NO$ into .NOT. .NOT itself is only ever replaced
// whole, through a temporary file renamed over it.
//
// Destroying the store does not save: it leaves .NO$ as a killed run would.
// Commits and saves before OpenAnnotations fail. Every file access goes
// through FileOperations, the place for a lock between two processes
// sharing a user base.
class AnnotationStore {
public:
    explicit AnnotationStore(FileOperations& files = FileOperations::system());
    AnnotationStore(const AnnotationStore&) = delete;
    AnnotationStore& operator=(const AnnotationStore&) = delete;

    // Indexes the annotations of userBase (Windows-1252, without extension;
    // the files are found case-insensitively). Texts a previous run left in
    // .NO$ are folded into a new .NOT; when that cannot be written they stay
    // in .NO$ and count as this run's pending texts. A missing or unreadable
    // .NOT means no annotations.
    //
    // Read-only, for a run while another one holds the user base: the texts
    // of .NOT and of the other run's .NO$ are shown as they were at this
    // call (both files stay open, so the other run replacing or removing
    // them changes nothing here), and nothing is ever written or removed.
    void OpenAnnotations(const std::string& userBase, bool readOnly = false);
    bool readOnly() const { return m_readOnly; }

    // The text of article's annotation (empty when it has none); it becomes
    // loadedText, the reference the next CommitAnnotation compares with.
    std::string LoadAnnotation(ArticleNumber article);

    // Records text as article's annotation when it differs from the text
    // last loaded or committed for it; an empty text removes the annotation
    // at the next save. Unchanged text costs a comparison and no I/O, so the
    // pane may call this as often as it likes. Articles <= 0 are ignored.
    // When .NO$ cannot be written (also when it is a symbolic link or not a
    // regular file of this user: nothing is written through such a name) the
    // text is kept in memory until the save and false is returned with
    // *error (Windows-1252) naming the file and *errorNumber the reason
    // (an errno value or UserFileSafety::kNotOwnRegularFile).
    // A read-only store refuses any change the same way, keeping nothing.
    bool CommitAnnotation(ArticleNumber article, std::string_view text,
                          std::string* error = nullptr, int* errorNumber = nullptr);

    // Rebuilds .NOT with the latest text of every annotated article and
    // removes .NO$. A .NOT that is a link or another user's file is read
    // for what it shows but never replaced: the save fails and says so. On failure nothing on disk
    // is changed (the old .NOT stays, the pending texts stay in .NO$ for the next start) and *error
    // says, in French (Windows-1252), which file could not be written and why. A read-only store
    // writes nothing and succeeds.
    bool SaveAnnotations(std::string* error = nullptr);

    // The latest non-empty text of every annotated article, as LoadAnnotation
    // would give it, read without writing or removing anything (the search
    // in the annotations). A text that cannot be read back is left out.
    std::map<ArticleNumber, std::string> AnnotationTexts() const;

    // Native path of .NOT (permanent) or .NO$ of the open user base.
    const std::string& AnnotationFileName(bool permanent) const;

private:
    bool ReadAnnotationAt(const std::string& path, uint64_t offset, std::string& text) const;
    int AppendPending(ArticleNumber article, std::string_view text, uint64_t& bodyOffset);
    void DeleteFileQuietly(const std::string& path);

    // The latest text of article: held in memory after a failed append, else
    // from .NO$, else from .NOT. False when a file holding it cannot be read.
    bool latestText(ArticleNumber article, std::string& text) const;
    // Writes a new .NOT from the latest texts; 0 or the error of the failure.
    int writePermanent();

    using Index = std::map<ArticleNumber, uint64_t>;

    FileOperations& m_files;
    std::string m_permanentPath;
    std::string m_pendingPath;
    // article -> offset of its body in .NOT, and in .NO$ for this run's texts
    Index savedIndex;
    Index pendingIndex;
    // Texts whose append to .NO$ failed; they go to .NOT at the save.
    std::map<ArticleNumber, std::string> m_unwritten;
    // End of the last whole record of .NO$, where the next one goes.
    uint64_t m_pendingEnd = 0;
    // .NOT exists but could not be read: replacing it would lose its texts.
    bool m_permanentUnreadable = false;
    bool m_readOnly = false;
    // .NOT holds bytes its records do not account for: a copy is kept
    // before it is replaced.
    bool m_permanentDamaged = false;
    // The files a read-only store reads from, open for the whole run. In a
    // read-write store, the pending file its texts are read from: the one
    // its appends went to (or that an earlier run left), held open.
    InputFile m_permanentSnapshot;
    InputFile m_pendingSnapshot;
    ArticleNumber m_loadedArticle = 0;
    std::string loadedText;
};

} // namespace tolvane
