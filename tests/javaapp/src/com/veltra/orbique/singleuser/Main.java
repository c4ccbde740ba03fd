package com.veltra.orbique.singleuser;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;

/**
 * The Java side of the launcher's real-JVM tests: writes what it received to the file named by
 * the system property lumora.test.report, one "key=value" line each, texts as the hexadecimal
 * UTF-16 code units they are made of (so that no encoding stands between the test and the
 * truth). lumora.test.mode picks a behaviour: "throw" ends main by throwing; "thread" starts a
 * non-daemon thread that outlives main.
 */
public final class Main {
  private Main() {}

  public static void main(String[] args) throws Exception {
    write("args", Integer.toString(args.length));
    for (int i = 0; i < args.length; i++) {
      write("arg" + i, hex(args[i]));
    }
    write("property", hex(System.getProperty("korvex.singleUser.token")));
    write("classpath", hex(System.getProperty("java.class.path")));
    write("option", hex(System.getProperty("lumora.test.option")));
    write("thread", Thread.currentThread().getName());
    String mode = System.getProperty("lumora.test.mode", "");
    if (mode.equals("throw")) {
      throw new IllegalStateException("thrown on purpose");
    }
    if (mode.equals("thread")) {
      Thread worker = new Thread(() -> {
        try {
          Thread.sleep(1500);
          write("worker", "finished");
        } catch (Exception e) {
          throw new RuntimeException(e);
        }
      }, "lumora-worker");
      worker.setDaemon(false);
      worker.start();
    }
    write("main", "returned");
  }

  static String hex(String text) {
    if (text == null) {
      return "null";
    }
    StringBuilder out = new StringBuilder();
    for (int i = 0; i < text.length(); i++) {
      out.append(String.format("%04X", (int) text.charAt(i)));
    }
    return out.toString();
  }

  static synchronized void write(String key, String value) throws IOException {
    Path report = Paths.get(System.getProperty("lumora.test.report"));
    Files.write(report, (key + "=" + value + "\n").getBytes(StandardCharsets.US_ASCII),
        StandardOpenOption.CREATE, StandardOpenOption.APPEND);
  }
}
