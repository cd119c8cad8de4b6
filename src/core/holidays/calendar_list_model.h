#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <functional>
#include <vector>

// What the holiday and the adjusted-day lists share. The model holds no rows of its own: it
// reads the calendar's list at every call, and every change the page makes goes through it,
// so a row always shows its entry and the dispatcher sees a change at its next tick.
class CalendarListModel : public QAbstractTableModel {
  public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    int capacity() const { return capacity_; }
    bool isFull() const { return rowCount() >= capacity_; }
    // Removes the rows (any order).
    void remove(QList<int> rows);
    // Sets or clears the flag on the rows not yet in that state; true when one changed.
    bool setDisabled(const QList<int>& rows, bool disabled);
    // After the calendar was loaded from its file: every row anew.
    void reload();

    // "启用" or "停用".
    static QString stateText(qint32 disabled);

  protected:
    CalendarListModel(QStringList headings, int stateColumn, int capacity, QObject* parent);

    virtual int entryCount() const = 0;
    virtual QString cellText(int row, int column) const = 0;
    virtual qint32& disabledFlag(int row) = 0;
    virtual void eraseEntry(int row) = 0;

    // The new row, or -1 when the list is full.
    template <class Entry>
    int appendEntry(std::vector<Entry>& list, const Entry& entry) {
        if (isFull()) {
            return -1;
        }
        const int row = static_cast<int>(list.size());
        beginInsertRows(QModelIndex(), row, row);
        list.push_back(entry);
        endInsertRows();
        return row;
    }
    template <class Entry>
    void replaceEntry(std::vector<Entry>& list, int row, const Entry& entry) {
        if (row < 0 || row >= static_cast<int>(list.size())) {
            return;
        }
        list[static_cast<size_t>(row)] = entry;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    // Runs a sort of the calendar as a refill; false (nothing done) below two rows.
    bool resort(const std::function<bool()>& sort);

  private:
    QStringList headings_;
    int stateColumn_;
    int capacity_;
};
