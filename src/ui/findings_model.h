// The findings of a run as a table: station range (the designer's
// stations), review, check, verdict (icon, symbol and name) and message.
// FindingsFilter narrows it to one review and/or one verdict and sorts it;
// station columns sort by the internal station, not by their text.
#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <optional>
#include <vector>

#include "output/finding_record.h"
#include "road/station_equations.h"

namespace corvalinde::ui {

class FindingsModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kFrom, kTo, kReview, kCheck, kVerdict, kMessage, kColumnCount };
  // Sort key of every cell; the internal station for the station columns.
  static constexpr int kSortRole = Qt::UserRole + 1;
  // The row's index in records() (stays valid through a proxy).
  static constexpr int kRecordRole = Qt::UserRole + 2;

  explicit FindingsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Replaces the rows; the equations turn internal stations into the designer's.
  void set_findings(std::vector<FindingRecord> records, StationEquations stations);
  const std::vector<FindingRecord>& records() const { return records_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<FindingRecord> records_;
  StationEquations stations_;
};

class FindingsFilter final : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit FindingsFilter(QObject* parent = nullptr);

  void set_review(std::optional<Review> review);
  void set_verdict(std::optional<Verdict> verdict);

 protected:
  bool filterAcceptsRow(int source_row, const QModelIndex& source_parent) const override;

 private:
  std::optional<Review> review_;
  std::optional<Verdict> verdict_;
};

}  // namespace corvalinde::ui
