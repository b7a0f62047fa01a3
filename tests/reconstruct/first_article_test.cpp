#include "reconstruct/first_article.h"

#include <gtest/gtest.h>

#include <climits>

namespace lexova::reconstruct {
namespace {

// Pages numbered as given; the block of section `sec` on page position `at`.
COcrPaper paper(std::initializer_list<int> numbers, int at = -1, int sec = kSecTitle) {
  COcrPaper p;
  int i = 0;
  for (int n : numbers) {
    COcrPage& page = p.pages.emplace_back();
    page.number = n;
    page.blocks.emplace_back().sec = kSecText;
    if (i++ == at) page.blocks.emplace_back().sec = sec;
  }
  return p;
}

TEST(FirstArticle, TitleOnTheThirdPageOpensThere) {
  const COcrPaper p = paper({1, 2, 3, 4}, 2);
  EXPECT_EQ(FindFirstArticlePage(&p), 2);
  EXPECT_EQ(currentPageForArticle(p, 2), 2);
}

TEST(FirstArticle, EveryOpeningSectionAndEveryBlockTypeCounts) {
  for (int sec : {kSecTitle, kSecAuthor, kSecExTitle, kSecExAuther}) {
    COcrPaper p = paper({1, 2}, 0, sec);
    p.pages.front().blocks.back().type = kBlockImage;
    EXPECT_EQ(FindFirstArticlePage(&p), 0) << sec;
  }
  for (int sec : {int{kSecText}, int{kSecHeader}, int{kSecTerminater}, int{kSecNoOutput}, 1000}) {
    const COcrPaper p = paper({1, 2}, 1, sec);
    EXPECT_EQ(FindFirstArticlePage(&p), -1) << sec;
  }
}

TEST(FirstArticle, NoArticleOrNoPaperOpensOnTheFirstPage) {
  const COcrPaper p = paper({1, 2, 3});
  EXPECT_EQ(FindFirstArticlePage(&p), -1);
  EXPECT_EQ(currentPageForArticle(p, -1), 0);
  EXPECT_EQ(FindFirstArticlePage(nullptr), -1);
  const COcrPaper empty;
  EXPECT_EQ(currentPageForArticle(empty, -1), 0);
}

TEST(FirstArticle, OnlyTheFileNumberCounts) {
  // Numbered 2, 3, 1: the title on the page numbered 1 gives index 0, the first page.
  const COcrPaper p = paper({2, 3, 1}, 2);
  EXPECT_EQ(FindFirstArticlePage(&p), 0);
  EXPECT_EQ(currentPageForArticle(p, 0), 0);
}

TEST(FirstArticle, ANumberOutsideTheListOpensThePageHoldingTheTitle) {
  const COcrPaper p = paper({11, 12, 13}, 1);
  EXPECT_EQ(FindFirstArticlePage(&p), 11);
  EXPECT_EQ(currentPageForArticle(p, 11), 1);
  const COcrPaper negative = paper({0, 1}, 0);
  EXPECT_EQ(FindFirstArticlePage(&negative), -1);  // number 0: as if there were none
  EXPECT_EQ(currentPageForArticle(negative, -1), 0);
  // Below the list, as above it, the editor opens on the page holding the title.
  const COcrPaper below = paper({1, -5, 2}, 1);
  EXPECT_EQ(FindFirstArticlePage(&below), -6);
  EXPECT_EQ(currentPageForArticle(below, -6), 1);
  // The lowest number a file can hold does not wrap round to the highest.
  const COcrPaper lowest = paper({1, INT_MIN}, 1);
  EXPECT_EQ(FindFirstArticlePage(&lowest), INT_MIN);
  EXPECT_EQ(currentPageForArticle(lowest, INT_MIN), 1);
}

TEST(FirstArticle, AfterAppendingTheNewNumbersCount) {
  COcrPaper first = paper({1, 2});
  COcrPaper second = paper({1, 2, 3}, 1);
  appendPages(first, second);
  renumberPages(first);
  EXPECT_EQ(FindFirstArticlePage(&first), 3);
  EXPECT_EQ(currentPageForArticle(first, 3), 3);
}

}  // namespace
}  // namespace lexova::reconstruct
