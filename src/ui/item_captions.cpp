#include "ui/item_captions.h"

#include <cstdlib>
#include <cstring>

#include "algorithms/block_swapping.h"
#include "engine/catalogue.h"

namespace mv::ui {

int same_entry_referent(int index) {
  if (index < 0 || index >= catalogue_size) return -1;
  auto is_same = [](int i) { return std::strncmp(catalogue_entry(i).caption, "same", 4) == 0; };
  if (!is_same(index)) return -1;
  const char* caption = catalogue_entry(index).caption;
  if (std::strncmp(caption, "same as ", 8) == 0) {
    const int named = std::atoi(caption + 8);
    return named >= 0 && named < catalogue_size && named != index ? named : -1;
  }
  for (int i = index - 1; i >= 0; --i) {
    if (!is_same(i)) return i;
  }
  return -1;
}

QStringList algorithm_list_captions() {
  QStringList items;
  for (int i = 0; i < catalogue_size; ++i) {
    const QString caption = QString::fromUtf8(catalogue_entry(i).caption);
    if (i == separator_index) {
      items << caption;
      continue;
    }
    QString item = QStringLiteral("%1  %2").arg(QString::number(i), caption);
    if (const int r = same_entry_referent(i); r >= 0) {
      item += QStringLiteral("  (%1: %2)")
                  .arg(QString::number(r), QString::fromUtf8(catalogue_entry(r).caption));
    }
    items << item;
  }
  return items;
}

QStringList value_distribution_captions() {
  const QString random = QStringLiteral("random numbers of n elements, ");
  QStringList items;
  for (const char* shape : {
           "uniformly distributed",
           "triangularly distributed",
           "triangularly distributed inverse",
           "half triangularly distributed upwards",
           "half triangularly distributed downwards",
           "trapezoidally distributed",
           "trapezoidally distributed inverse",
           "\"normally distributed\"",
           "\"normally distributed\" inverse",
           "\"half normally distributed\" upwards",
           "\"half normally distributed\" downward",
           "asymmetrically distributed (small elements mainly 1)",
           "asymmetrically distributed (small elements mainly 2)",
           "asymmetrically distributed (small elements mainly 3)",
           "asymmetrically distributed inverse (large elements mainly 1)",
           "asymmetrically distributed inverse (large elements mainly 2)",
           "asymmetrically distributed inverse (large elements mainly 3)",
       }) {
    items << random + QString::fromUtf8(shape);
  }
  items << QStringLiteral("n elements, distributed cubically (power)")
        << QStringLiteral("n elements, distributed cubically (root)")
        << QStringLiteral("n natural numbers, ascending shuffled")
        << QStringLiteral("natural numbers (once each)");
  return items;
}

QStringList structure_captions() {
  QStringList items = {
      QStringLiteral("unsorted"),
      QStringLiteral("sorted"),
      QStringLiteral("several random subsets, randomly sized"),
      QStringLiteral("several descending subsets, randomly sized"),
      QStringLiteral("several different subsets, randomly sized"),
      QStringLiteral("several sorted subsets, equally sized, successively arranged"),
      QStringLiteral("several inverse sorted subsets, equally sized"),
      QStringLiteral("several sorted subsets, alternating shuffled"),
      QStringLiteral("two different sized sorted subsets, smaller one left"),
      QStringLiteral("two different sized sorted subsets, larger one left"),
      QStringLiteral("several different sized sorted subsets, decreasing sizes"),
      QStringLiteral("several different sized sorted subsets, increasing sizes"),
      QStringLiteral("triangle (peak above)"),
      QStringLiteral("triangle (peak below)"),
      QStringLiteral("2 shuffled \"half\" triangle subsets"),
      QStringLiteral("2 alternating shuffled subsets 1"),
      QStringLiteral("2 alternating shuffled subsets 2"),
      QStringLiteral("several shuffled sub sets 1"),
      QStringLiteral("several shuffled sub sets 2"),
      QStringLiteral("rhombus"),
      QStringLiteral("almost (pre)sorted completly"),
  };
  for (int k = 1; k <= 7; ++k) items << QStringLiteral("fractal %1").arg(k);
  return items;
}

QStringList presorting_captions() {
  QStringList items = {QStringLiteral("no / without")};
  for (const char* method : {
           "bubble sort",
           "bubble sort reverse",
           "circle sort",
           "cycle sort",
           "heap sort",
           "heap sort reverse",
           "insertion sort",
           "insertion s. reverse",
           "insertion s. bidirect.",
           "merge sort",
           "merge sort reverse",
           "merge sort random",
           "natural merge sort",
           "oet / brick sort",
           "partit sort",
           "quick sort",
           "quick sort reverse",
           "quick sort random",
           "selection sort",
           "selection s. reverse",
           "shaker/cocktail so.",
           "shear sort",
           "Shell sort",
           "smooth sort",
       }) {
    items << QStringLiteral("at value (%1)").arg(QString::fromLatin1(method));
  }
  items << QStringLiteral("binary (radix sort lsd)") << QStringLiteral("binary (radix sort msd)")
        << QStringLiteral("binary shuffle");
  for (const char* version : {"1.1", "1.2", "2.1", "2.2"}) {
    items << QStringLiteral("Fisher-Yates shuffle %1").arg(QString::fromLatin1(version));
  }
  items << QStringLiteral("perfect / faro out inshuffle")
        << QStringLiteral("perfect / faro out unshuffle")
        << QStringLiteral("perfect / faro in inshuffle")
        << QStringLiteral("perfect / faro in unshuffle") << QStringLiteral("exchanges");
  return items;
}

QStringList block_swapping_captions() {
  QStringList items;
  for (const char* caption : block_swap_method_captions) items << QString::fromUtf8(caption);
  return items;
}

}  // namespace mv::ui
