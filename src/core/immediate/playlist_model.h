#pragma once

#include <QAbstractTableModel>
#include <random>

#include "core/immediate/playlist.h"

// The immediate playlist as a table: the file name (the current track with an arrow) and the
// length. Every change of the list goes through here, so a view's rows and selection follow
// the entries.
class PlaylistModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // True on the current track's row, which the view paints in its own colour.
    static constexpr int kCurrentRole = Qt::UserRole + 1;
    enum class SortKey { Name, Type };

    explicit PlaylistModel(ImmediateSettings& settings, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    ImmediateSettings& settings() { return settings_; }
    const std::vector<PlaylistEntry>& entries() const { return settings_.playlist; }
    int size() const { return static_cast<int>(settings_.playlist.size()); }
    bool isFull() const { return size() >= kPlaylistCapacity; }
    int current() const { return currentIndex(settings_.playlist); }

    // The whole list was replaced (after loading).
    void reload();
    void append(const std::vector<PlaylistEntry>& entries);
    void clear();
    // Moves the current mark to the row (or takes it away with -1).
    void setCurrent(int row);
    void setDuration(int row, qint32 durationMs);
    // Swaps the row with the one below it; the current mark and any selection move along.
    void swapWithNext(int row);
    void sortBy(SortKey key, bool descending);
    void shuffle(std::mt19937& random);
    void clearPlayedFlags();

  private:
    void refreshRow(int row);
    // Puts the entries in the new order: order[i] is the old row of new row i.
    void reorder(const std::vector<int>& order);

    ImmediateSettings& settings_;
};
