// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the window tests of the viewer: a small data source written by
// the project's writer, and services that record message boxes instead of
// showing them.

#include "core/articles/DataSourceWriter.h"
#include "core/common/SystemFileOperations.h"
#include "support/TempDir.h"
#include "ui/base/AnnotationHooks.h"
#include "ui/base/AppServices.h"

#include <QStringList>

#include <string>
#include <vector>

namespace tolvane::test {

// The real file operations, noting in a log each bookmark file they write.
class LoggingFileOperations : public SystemFileOperations {
public:
    std::vector<std::string>* log = nullptr;
    int replaceAtomically(const std::string& path, std::string_view bytes) override {
        if (log != nullptr && path.size() > 4 && path.compare(path.size() - 4, 4, ".SIG") == 0)
            log->push_back("save bookmarks");
        return SystemFileOperations::replaceAtomically(path, bytes);
    }
};

class RecordingServices : public AppServices {
public:
    LoggingFileOperations files;
    FileOperations& Files() override { return files; }
    QStringList captions;
    QStringList messages;
    QMessageBox::StandardButton MessageBox(QWidget*, const QString& caption, const QString& text,
                                           QMessageBox::Icon) override {
        captions << caption;
        messages << text;
        return QMessageBox::Ok;
    }
};

// Records what the main frame asks of the annotation pane.
class RecordingHooks : public AnnotationHooks {
public:
    std::vector<std::string> calls;
    ArticleNumber annotated = 0; // the one article that has an annotation
    bool CommitAnnotation(ArticleNumber article) override {
        calls.push_back("commit " + std::to_string(article));
        return true;
    }
    bool LoadAnnotation(ArticleNumber article) override {
        calls.push_back("load " + std::to_string(article));
        m_loaded = article;
        return article == annotated;
    }
    void SaveAnnotations() override { calls.push_back("save annotations"); }
    bool IsAnnotationEmpty() const override { return m_loaded != annotated; }

private:
    ArticleNumber m_loaded = 0;
};

// The fixture's first line, with its anchors:
//   "Aller a Deux, Note, Rien, Double."
//            8-11  14-17 20-23 26-31, and 28-32 overlapping the last
// Deux -> 2, Note -> 50 (popup), Rien -> 999 (absent), Double -> 3, the
// overlap -> 2. Article 2 is long enough to scroll.
constexpr int kFirstLinkFirst = 8;
constexpr int kFirstLinkLast = 11;
constexpr int kPopupLinkFirst = 14;
constexpr int kMissingLinkFirst = 20;
constexpr int kDoubleLinkFirst = 26;
constexpr int kOverlapOnly = 32;

inline std::string longBody(const std::string& name, int lines) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 ";
    for (int i = 0; i < lines; ++i)
        rtf += name + " ligne " + std::to_string(i) + "\\par ";
    return rtf + "}";
}

inline void writeFixture(const std::string& base) {
    DataSourceWriter w;
    std::string home = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 "
                       "Aller a Deux, Note, Rien, Double.\\par ";
    for (int i = 1; i <= 120; ++i)
        home += "Ligne " + std::to_string(i) + "\\par ";
    w.addArticle(
        1, "Accueil", home + "}",
        {{8, 11, 2, 0}, {14, 17, 50, 0}, {20, 23, 999, 0}, {26, 31, 3, 0}, {28, 32, 2, 0}});
    w.addArticle(2, "Deux", longBody("Deux", 200), {{0, 3, 1, 0}});
    w.addArticle(3, "G\xE9n\xE9ralit\xE9s", longBody("Trois", 200));
    w.addArticle(50, "#POPUP:Une note",
                 "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 Texte de la note.\\par}");
    OutlineRecord root;
    root.nodeKey = "1";
    root.title = "Accueil";
    root.article = 1;
    w.addOutline(root);
    w.write(base);
}

} // namespace tolvane::test
