package com.veltra.orbique.singleuser;

import java.awt.BorderLayout;
import java.awt.Font;
import java.awt.GraphicsEnvironment;
import javax.swing.BorderFactory;
import javax.swing.JButton;
import javax.swing.JFrame;
import javax.swing.JTextArea;
import javax.swing.SwingUtilities;
import javax.swing.WindowConstants;

/**
 * The demo application that LumoraHost starts: it reports what the launcher handed it, the
 * single-user token (as its first argument and as a system property) and the file to open.
 * With a display it also shows the report in a small window; the process ends when the window
 * is closed, because the launcher waits for the application's last non-daemon thread.
 */
public final class Main {
  static final String TOKEN_PROPERTY = "korvex.singleUser.token";

  private Main() {}

  public static void main(String[] args) {
    String report = report(args);
    System.out.print(report);
    System.out.flush();
    if (!GraphicsEnvironment.isHeadless() && !Boolean.getBoolean("lumora.demo.noWindow")) {
      try {
        SwingUtilities.invokeLater(() -> showWindow(report));
      } catch (Throwable noGraphics) {
        // A headless runtime: the printed report is all there is.
      }
    }
  }

  static String report(String[] args) {
    String token = args.length > 0 ? args[0] : null;
    String property = System.getProperty(TOKEN_PROPERTY);
    boolean matches = token != null && token.equals(property);
    StringBuilder text = new StringBuilder();
    text.append("Lumora demo application\n");
    text.append("  token (first argument): ").append(token).append('\n');
    text.append("  token (system property): ").append(property).append('\n');
    text.append("  token matches the property: ").append(matches ? "yes" : "NO").append('\n');
    text.append("  file to open: ").append(args.length > 1 ? args[1] : "(none)").append('\n');
    text.append("  class path: ").append(System.getProperty("java.class.path")).append('\n');
    text.append("  Java runtime: ").append(System.getProperty("java.home")).append(" (")
        .append(System.getProperty("java.version")).append(")\n");
    return text.toString();
  }

  private static void showWindow(String report) {
    JFrame frame = new JFrame("Lumora demo");
    JTextArea area = new JTextArea(report);
    area.setEditable(false);
    area.setFont(new Font(Font.MONOSPACED, Font.PLAIN, 13));
    area.setBorder(BorderFactory.createEmptyBorder(12, 12, 12, 12));
    JButton close = new JButton("Close");
    close.addActionListener(event -> frame.dispose());
    frame.add(area, BorderLayout.CENTER);
    frame.add(close, BorderLayout.SOUTH);
    frame.setDefaultCloseOperation(WindowConstants.DISPOSE_ON_CLOSE);
    frame.pack();
    frame.setLocationRelativeTo(null);
    frame.setVisible(true);
  }
}
