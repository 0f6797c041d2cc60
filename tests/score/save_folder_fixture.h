// A fresh folder under /tmp for each test of the save files, removed after
// it, with whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TSaveFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zazo_save_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    path = dir + "/score.dat";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  static void Put(const std::string& bytes, const std::string& at) {
    std::ofstream(at, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& at) {
    std::ifstream in(at, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string dir;
  std::string path;  // dir + "/score.dat"
};
