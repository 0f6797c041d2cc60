// The generator writes the same bytes on every run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/asset_reader.h"

TEST(AssetGenerator, ASecondRunWritesTheSameBytesAsTheBuild) {
  namespace fs = std::filesystem;
  const std::string generator = AssetDir() + "/zazo-assetgen";
  ASSERT_TRUE(fs::exists(generator));
  fs::path out = fs::temp_directory_path() / ("zazo-assetgen-test-" + std::to_string(::getpid()));
  fs::remove_all(out);
  std::string command = "\"" + generator + "\" \"" + out.string() + "\" > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  int compared = 0;
  for (const char* dir : {"graph", "system"})
    for (const auto& entry : fs::directory_iterator(out / dir)) {
      std::vector<uint8_t> fresh, built;
      ASSERT_TRUE(ReadBytes(entry.path().string(), &fresh));
      std::string builtPath = AssetDir() + "/" + dir + "/" + entry.path().filename().string();
      ASSERT_TRUE(ReadBytes(builtPath, &built)) << builtPath;
      EXPECT_TRUE(fresh == built) << builtPath << " differs between runs";
      compared++;
    }
  EXPECT_EQ(compared, 9 + 9 + 18);
  EXPECT_TRUE(fs::is_directory(out / "save"));
  fs::remove_all(out);
}
