function removeCookie(source, args) {
  // Removes the cookies whose name matches (a substring or /regex/flags; an
  // empty argument matches every cookie) right away, and again when the page
  // is left, to catch those its scripts set meanwhile.
  try {
    const pattern = typeof args[0] === 'string' ? args[0] : '';

    function makeMatcher(text) {
      if (text === '') {
        return () => true;
      }
      const literal = /^\/(.+)\/([dgimsuy]*)$/.exec(text);
      if (literal) {
        let re;
        try {
          re = new RegExp(literal[1], literal[2].replace('g', ''));
        } catch (e) {
          return null;
        }
        return (s) => re.test(s);
      }
      return (s) => s.includes(text);
    }

    const matchesName = makeMatcher(pattern);
    if (matchesName === null) {
      return;
    }
    // The page may trap document.cookie itself; use the real accessor.
    const cookieAccessor = Object.getOwnPropertyDescriptor(Document.prototype, 'cookie');
    const readCookies = () => cookieAccessor.get.call(document);
    const writeCookie = (text) => cookieAccessor.set.call(document, text);

    // A cookie is only replaced by one with the same name, path and domain,
    // none of which document.cookie tells: expire it under every path from
    // the root to this page, and for this host and each parent domain.
    function pathVariants() {
      const variants = [''];
      const segments = location.pathname.split('/').filter((s) => s !== '');
      let prefix = '';
      variants.push('; path=/');
      for (const segment of segments) {
        prefix += `/${segment}`;
        variants.push(`; path=${prefix}`, `; path=${prefix}/`);
      }
      return variants;
    }

    function domainVariants() {
      const variants = [''];
      const host = location.hostname;
      // An IP address has no parent domains and takes no domain attribute.
      if (host === '' || /^[\d.]+$/.test(host) || host.includes(':')) {
        return variants;
      }
      const labels = host.split('.');
      for (let i = 0; i < labels.length - 1; i++) {
        const domain = labels.slice(i).join('.');
        variants.push(`; domain=${domain}`, `; domain=.${domain}`);
      }
      return variants;
    }

    function expire(name) {
      const secureVariants = location.protocol === 'https:' ? ['', '; secure'] : [''];
      for (const path of pathVariants()) {
        for (const domain of domainVariants()) {
          for (const secure of secureVariants) {
            writeCookie(`${name}=; expires=Thu, 01 Jan 1970 00:00:00 GMT; max-age=0${path}${domain}${secure}`);
          }
        }
      }
    }

    function removeMatching() {
      try {
        const seen = new Set();
        for (const part of readCookies().split(';')) {
          const equals = part.indexOf('=');
          const name = (equals === -1 ? part : part.slice(0, equals)).trim();
          if (name === '' || seen.has(name) || !matchesName(name)) {
            continue;
          }
          seen.add(name);
          expire(name);
          if (source.verbose) {
            console.log(`${source.name}: removed cookie ${name}`);
          }
        }
      } catch (e) {
        // Cookies may be off for this document; nothing to remove then.
      }
    }

    removeMatching();
    window.addEventListener('pagehide', removeMatching);
    window.addEventListener('beforeunload', removeMatching);
    document.addEventListener('visibilitychange', () => {
      if (document.visibilityState === 'hidden') {
        removeMatching();
      }
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
