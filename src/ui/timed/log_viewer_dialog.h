#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListView;
class QSortFilterProxyModel;
class QStringListModel;

// The program's own view of the play log, for desktops without a program for text files:
// newest lines last, a filter by programme name. The file is read on a worker thread.
class LogViewerDialog : public QDialog {
    Q_OBJECT
  public:
    LogViewerDialog(const QString& path, QWidget* parent = nullptr);

    QLineEdit* filter() const { return filter_; }
    QListView* lines() const { return view_; }
    // Whether the file has been read (or found unreadable).
    bool isLoaded() const { return loaded_; }

  public slots:
    // Reads the file again.
    void reload();

  signals:
    void loaded();

  private:
    void showLines(const QStringList& lines, const QString& error);

    QString path_;
    QLineEdit* filter_;
    QLabel* status_;
    QListView* view_;
    QStringListModel* model_;
    QSortFilterProxyModel* filtered_;
    bool loaded_ = false;
};
