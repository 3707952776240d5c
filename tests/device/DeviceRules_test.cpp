// The pure rules of the device side: device key, extension table and remote paths, push
// percent, exact ANSI paths, the record store, and reading a drop handle.
#include <windows.h>

#include <gtest/gtest.h>

#include "DeviceKey.h"
#include "DropFiles.h"
#include "DropHandle.h"
#include "ExtensionTable.h"
#include "TaskRecordStore.h"
#include "TransferText.h"

TEST(DeviceKey, SaltedMd5OfTheUtf8Serial) {
  // md5("ABC123_{5C2E81F4-6A3D-4b97-9E10-3D7B42C8A6F1}")
  EXPECT_EQ(MakeDeviceKey(L"ABC123"), "cabad717ce9869c7e04bdcc588297ac6");
  EXPECT_EQ(MakeDeviceKey(L"ABC123"), MakeDeviceKey(L"ABC123"));
  EXPECT_NE(MakeDeviceKey(L"ABC123"), MakeDeviceKey(L"ABC124"));
  EXPECT_EQ(MakeDeviceKey(L"").size(), 32u);
  CDeviceKey key;
  EXPECT_EQ(key.Get(), "");
  key.Set("k");
  EXPECT_EQ(key.Get(), "k");
  key.Clear();
  EXPECT_EQ(key.Get(), "");
}

TEST(ExtensionTable, CategoriesAndRemotePaths) {
  ExtensionTable table;
  BuildExtensionTable(table);
  EXPECT_EQ(table.size(), 1u + 7 + 6 + 12 + 13);
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in\\Photo.JPG"), kCategoryPicture);
  EXPECT_EQ(RemotePathFor(kCategoryPicture, L"C:\\in\\Photo.JPG"), L"/sdcard/DCIM/Photo.JPG");
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in\\song.wma"), kCategoryVideo);
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in\\song.MP3"), kCategoryMusic);
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in\\book.docx"), kCategoryBook);
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in\\Quillon.APK"), kCategoryApk);
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in\\README"), kCategoryOther);
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in.jpg\\README"), kCategoryOther) << "dot in a folder name";
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in\\data.xyz"), kCategoryOther);
  EXPECT_EQ(CategoryOfPath(table, L"C:\\in\\archive.tar.gz"), kCategoryOther);
  EXPECT_EQ(RemotePathFor(kCategoryOther, L"C:\\in\\data.xyz"), L"/sdcard/fernavoy/data.xyz");
  EXPECT_EQ(RemotePathFor(kCategoryVideo, L"C:\\in\\song.wma"), L"/sdcard/video/song.wma");
  EXPECT_STREQ(CategoryFolder(kCategoryMusic), "music/");
  EXPECT_STREQ(CategoryFolder(kCategoryBook), "ebook/");
  EXPECT_STREQ(CategoryFolder(42), "fernavoy/");
}

TEST(TransferText, PushPercentNeverDividesByZero) {
  EXPECT_EQ(PushPercent(0, 0), 100);
  EXPECT_EQ(PushPercent(5, -1), 100);
  EXPECT_EQ(PushPercent(0, 1000), 0);
  EXPECT_EQ(PushPercent(999, 1000), 99);  // truncated
  EXPECT_EQ(PushPercent(1000, 1000), 100);
  EXPECT_EQ(PushPercent(2000000000, 2147483647), 93);  // no 32-bit overflow
  EXPECT_EQ(PushPercent(-5, 100), 0);
  EXPECT_EQ(PushPercent(150, 100), 100);
}

TEST(TaskRecordStore, IdsStayUniqueAfterDeletion) {
  TaskRecordStore& store = TaskRecordStore::Instance();
  store.Clear();
  TaskRecord r;
  r.path = "a";
  int a = store.Add(r);
  r.path = "b";
  int b = store.Add(r);
  r.path = "c";
  int c = store.Add(r);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  store.Remove(a);
  r.path = "d";
  int d = store.Add(r);
  EXPECT_NE(d, c) << "a new record must not take an id in use";
  EXPECT_NE(d, b);
  TaskRecord got;
  ASSERT_TRUE(store.Get(c, got));
  EXPECT_EQ(got.path, "c");
  ASSERT_TRUE(store.Get(d, got));
  EXPECT_EQ(got.path, "d");
  EXPECT_FALSE(store.Get(a, got));
  store.Remove(12345);  // unknown: nothing happens
  EXPECT_EQ(store.All().size(), 3u);
  ScriptValue records;
  EXPECT_TRUE(store.Load());
  EXPECT_TRUE(store.Query(records, "key"));
  EXPECT_EQ(records.GetKind(), ScriptValue::kNil);
  store.Clear();
}

TEST(DropFiles, ReadsEveryPathAtFullLength) {
  std::wstring longPath = L"C:\\" + std::wstring(300, L'x') + L"\\file.txt";
  HDROP drop = MakeDropHandle({L"C:\\a.jpg", longPath, L"D:\\\u00e9t\u00e9.mp3"});
  auto paths = ReadDropPaths(drop);
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0], L"C:\\a.jpg");
  EXPECT_EQ(paths[1], longPath);
  EXPECT_EQ(paths[2], L"D:\\\u00e9t\u00e9.mp3");
  DragFinish(drop);
  EXPECT_TRUE(ReadDropPaths(nullptr).empty());
}
