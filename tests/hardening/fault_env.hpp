// A platform that fails the file operation a FaultPlan names, the way a full
// disk fails it: every open, read, write, close, rename, removal and folder
// creation counts. Everything else is the real platform's.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <utility>

#include "platform/env_wrapper.hpp"
#include "tests/hardening/fault_plan.hpp"

namespace korvun::testing {

inline Status NoSpace(const std::string& path) {
  return Status::Unexpected("Auf dem Datentr\xE4ger ist nicht gen\xFCgend Speicherplatz: " + path);
}

class FaultSequentialFile : public SequentialFile {
 public:
  FaultSequentialFile(std::unique_ptr<SequentialFile> file, FaultPlan& plan, std::string path)
      : file_(std::move(file)), plan_(plan), path_(std::move(path)) {}
  Status Read(size_t n, std::string_view* result, char* scratch) override {
    if (plan_.Next("read", false)) return NoSpace(path_);
    return file_->Read(n, result, scratch);
  }

 private:
  std::unique_ptr<SequentialFile> file_;
  FaultPlan& plan_;
  std::string path_;
};

class FaultRandomAccessFile : public RandomAccessFile {
 public:
  FaultRandomAccessFile(std::unique_ptr<RandomAccessFile> file, FaultPlan& plan, std::string path)
      : file_(std::move(file)), plan_(plan), path_(std::move(path)) {}
  Status Read(uint64_t offset, size_t n, std::string_view* result, char* scratch) const override {
    if (plan_.Next("random read", false)) return NoSpace(path_);
    return file_->Read(offset, n, result, scratch);
  }
  uint64_t Size() const override { return file_->Size(); }

 private:
  std::unique_ptr<RandomAccessFile> file_;
  FaultPlan& plan_;
  std::string path_;
};

class FaultWritableFile : public WritableFile {
 public:
  FaultWritableFile(std::unique_ptr<WritableFile> file, FaultPlan& plan, std::string path)
      : file_(std::move(file)), plan_(plan), path_(std::move(path)) {}
  Status Append(std::string_view data) override {
    return plan_.Next("append", false) ? NoSpace(path_) : file_->Append(data);
  }
  Status Flush() override { return plan_.Next("flush", false) ? NoSpace(path_) : file_->Flush(); }
  Status Close() override {
    const Status closed = file_->Close();
    return plan_.Next("close", false) ? NoSpace(path_) : closed;
  }

 private:
  std::unique_ptr<WritableFile> file_;
  FaultPlan& plan_;
  std::string path_;
};

class FaultEnv : public EnvWrapper {
 public:
  FaultEnv(Env* target, FaultPlan& plan) : EnvWrapper(target), plan_(plan) {}

  Status NewSequentialFile(const std::string& path, std::unique_ptr<SequentialFile>* result) override {
    if (plan_.Next("open for reading", false)) return NoSpace(path);
    std::unique_ptr<SequentialFile> file;
    Status s = target()->NewSequentialFile(path, &file);
    if (s.ok()) *result = std::make_unique<FaultSequentialFile>(std::move(file), plan_, path);
    return s;
  }
  Status NewRandomAccessFile(const std::string& path,
                             std::unique_ptr<RandomAccessFile>* result) override {
    if (plan_.Next("open for random reading", false)) return NoSpace(path);
    std::unique_ptr<RandomAccessFile> file;
    Status s = target()->NewRandomAccessFile(path, &file);
    if (s.ok()) *result = std::make_unique<FaultRandomAccessFile>(std::move(file), plan_, path);
    return s;
  }
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override {
    if (plan_.Next("open for writing", false)) return NoSpace(path);
    std::unique_ptr<WritableFile> file;
    Status s = target()->NewWritableFile(path, &file);
    if (s.ok()) *result = std::make_unique<FaultWritableFile>(std::move(file), plan_, path);
    return s;
  }
  Status WriteFileAtomically(const std::string& path, std::string_view data) override {
    return plan_.Next("write atomically", false) ? NoSpace(path)
                                                 : target()->WriteFileAtomically(path, data);
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return plan_.Next("rename", false) ? NoSpace(to) : target()->RenameFile(from, to);
  }
  Status RemoveFile(const std::string& path) override {
    return plan_.Next("remove", false) ? NoSpace(path) : target()->RemoveFile(path);
  }
  Status CreateDir(const std::string& dir) override {
    return plan_.Next("create folder", false) ? NoSpace(dir) : target()->CreateDir(dir);
  }
  Status GetChildren(const std::string& dir, std::vector<FolderEntry>* entries) override {
    return plan_.Next("list folder", false) ? NoSpace(dir) : target()->GetChildren(dir, entries);
  }
  Status SetFileModificationTime(const std::string& path,
                                 std::chrono::system_clock::time_point time) override {
    return plan_.Next("set time", false) ? NoSpace(path)
                                         : target()->SetFileModificationTime(path, time);
  }
  // Real threads, counted: a test sees that a path ran on a worker and that
  // no worker outlives what started it.
  std::unique_ptr<WorkerThread> StartThread(std::function<void()> work) override {
    ++threadsStarted;
    ++threadsRunning;
    return target()->StartThread([this, work = std::move(work)] {
      work();
      --threadsRunning;
    });
  }
  std::atomic<int> threadsStarted{0}, threadsRunning{0};

 private:
  FaultPlan& plan_;
};

}  // namespace korvun::testing
