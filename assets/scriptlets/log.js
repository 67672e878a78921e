function log(source, args) {
  // Logs its arguments: a rule author's way to see that a rule reached a page.
  try {
    console.log(`${source.name}:`, ...Array.prototype.map.call(args, (a) => String(a)));
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
