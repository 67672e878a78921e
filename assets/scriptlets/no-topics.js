function noTopics(source, args) {
  // The Topics API hands the page's interest groups to ad scripts: answer
  // every call with no topics at all.
  try {
    if (typeof Document === 'undefined' || !('browsingTopics' in Document.prototype)) {
      return;
    }
    Object.defineProperty(Document.prototype, 'browsingTopics', {
      configurable: true,
      value: function browsingTopics() {
        if (source.verbose) {
          console.log(`${source.name}: browsingTopics() answered with no topics`);
        }
        return Promise.resolve([]);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
