#pragma once

#include <QDialog>
#include <QList>

#include "core/moving/path_mapping.h"

class MovingIn;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

// "从 Windows 版导入": the Windows program's data folder (or a ZIP of it) with the folders its
// drives now live in; the import replaces the programmes, the playlist, the holidays and the
// settings after a backup, and the report lists the music files not found.
class WindowsImportDialog : public QDialog {
    Q_OBJECT
  public:
    enum MappingColumn { PrefixColumn, FolderColumn };

    WindowsImportDialog(MovingIn& movingIn, QWidget* parent = nullptr);

    QLineEdit* sourceEdit() const { return source_; }
    QStandardItemModel* mappingModel() const { return mappings_; }
    QTableView* mappingList() const { return mappingList_; }
    QPlainTextEdit* report() const { return report_; }
    QPushButton* importButton() const { return import_; }

    // "导入": reads and checks the source, asks, imports and shows the report.
    void runImport();

  private:
    void chooseSourceFolder();
    void chooseSourceArchive();
    void addMapping();
    void removeMappings();
    void chooseMappingFolder();
    // The filled rows; false (with the refusal shown) for a row filled on one side only.
    bool readMappings(QList<PathMapping>& mappings);

    MovingIn& movingIn_;
    QLineEdit* source_;
    QStandardItemModel* mappings_;
    QTableView* mappingList_;
    QPlainTextEdit* report_;
    QPushButton* import_;
};
