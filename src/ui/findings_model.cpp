#include "ui/findings_model.h"

#include <QCoreApplication>

#include <utility>

#include "ui/console_view.h"
#include "ui/verdict_style.h"

namespace corvalinde::ui {
namespace {

constexpr int kStationDecimals = 2;

QString designer_text(const StationEquations& stations, double internal) {
  return QString::fromStdString(
      format_designer_station(designer_station(stations, internal), kStationDecimals));
}

QString message_of(const FindingRecord& record) {
  // The line as written, markers removed and blanks squeezed at the ends.
  return shown_text(record.text).simplified();
}

}  // namespace

void FindingsModel::set_findings(std::vector<FindingRecord> records, StationEquations stations) {
  beginResetModel();
  records_ = std::move(records);
  stations_ = std::move(stations);
  endResetModel();
}

int FindingsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

int FindingsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant FindingsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= records_.size())
    return {};
  const FindingRecord& record = records_[static_cast<std::size_t>(index.row())];
  if (role == kRecordRole) return index.row();
  switch (index.column()) {
    case kFrom:
    case kTo: {
      const double station = index.column() == kFrom ? record.from : record.to;
      if (role == Qt::DisplayRole) return designer_text(stations_, station);
      if (role == kSortRole) return station;
      if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    }
    case kReview:
      if (role == Qt::DisplayRole) return review_label(record.review);
      if (role == kSortRole) return static_cast<int>(record.review);
      return {};
    case kCheck:
      if (role == Qt::DisplayRole || role == kSortRole) return QString::fromStdString(record.check);
      return {};
    case kVerdict:
      if (role == Qt::DisplayRole)
        return verdict_symbol(record.verdict) + QLatin1Char(' ') + verdict_label(record.verdict);
      if (role == Qt::DecorationRole) return verdict_icon(record.verdict);
      if (role == Qt::ForegroundRole) return verdict_colour(record.verdict);
      if (role == kSortRole) return static_cast<int>(record.verdict);
      return {};
    case kMessage:
      if (role == Qt::DisplayRole || role == kSortRole || role == Qt::ToolTipRole) return message_of(record);
      return {};
    default:
      return {};
  }
}

QVariant FindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, orientation, role);
  switch (section) {
    case kFrom:
      return tr("From");
    case kTo:
      return tr("To");
    case kReview:
      return tr("Review");
    case kCheck:
      return tr("Check");
    case kVerdict:
      return tr("Verdict");
    case kMessage:
      return tr("Message");
    default:
      return {};
  }
}

FindingsFilter::FindingsFilter(QObject* parent) : QSortFilterProxyModel(parent) {
  setSortRole(FindingsModel::kSortRole);
}

void FindingsFilter::set_review(std::optional<Review> review) {
  review_ = review;
  invalidateFilter();
}

void FindingsFilter::set_verdict(std::optional<Verdict> verdict) {
  verdict_ = verdict;
  invalidateFilter();
}

bool FindingsFilter::filterAcceptsRow(int source_row, const QModelIndex& source_parent) const {
  const auto* source = qobject_cast<const FindingsModel*>(sourceModel());
  if (source == nullptr || source_parent.isValid() || source_row < 0 ||
      static_cast<std::size_t>(source_row) >= source->records().size()) {
    return false;
  }
  const FindingRecord& record = source->records()[static_cast<std::size_t>(source_row)];
  return (!review_ || record.review == *review_) && (!verdict_ || record.verdict == *verdict_);
}

}  // namespace corvalinde::ui
