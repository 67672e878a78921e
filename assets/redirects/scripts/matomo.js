// Stands in for the Matomo (formerly Piwik) JavaScript tracker, matomo.js or
// piwik.js. Commands on the _paq queue and calls on trackers record nothing;
// functions pushed to _paq run with `this` set to the tracker, callbacks
// given to tracking calls are called, and the page's matomoAsyncInit and
// piwikAsyncInit hooks run as they would once the tracker has loaded.
(function() {
    'use strict';
    var noop = function() {};

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, self, args) {
        try {
            return callback.apply(self, args || []);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    var Tracker = function(trackerUrl, siteId) {
        this.trackerUrl = trackerUrl || '';
        this.siteId = siteId || '';
    };
    [
        'addDownloadExtensions', 'addEcommerceItem', 'alwaysUseSendBeacon', 'appendToTrackingUrl',
        'clearEcommerceCart', 'deleteCookies', 'deleteCustomDimension', 'deleteCustomVariable',
        'deleteCustomVariables', 'disableBrowserFeatureDetection', 'disableCookies',
        'disableHeartBeatTimer', 'disablePerformanceTracking', 'disableQueueRequest',
        'discardHashTag', 'enableBrowserFeatureDetection', 'enableCrossDomainLinking',
        'enableFileTracking', 'enableHeartBeatTimer', 'enableJSErrorTracking', 'enableLinkTracking',
        'forgetConsentGiven', 'forgetCookieConsentGiven', 'forgetUserOptOut', 'killFrame',
        'optUserOut', 'redirectFile', 'rememberConsentGiven', 'rememberCookieConsentGiven',
        'removeDownloadExtensions', 'requireConsent', 'requireCookieConsent', 'resetUserId',
        'setAPIUrl', 'setConsentGiven', 'setCookieConsentGiven', 'setCookieDomain',
        'setCookieNamePrefix', 'setCookiePath', 'setCookieSameSite', 'setCampaignKeywordKey',
        'setCampaignNameKey', 'setConversionAttributionFirstReferrer', 'setCrossDomainLinkingTimeout',
        'setCustomData', 'setCustomDimension', 'setCustomRequestProcessing', 'setCustomUrl',
        'setCustomVariable', 'setDoNotTrack', 'setDocumentTitle', 'setDomains',
        'setDownloadClasses', 'setDownloadExtensions', 'setEcommerceView', 'setExcludedQueryParams',
        'setExcludedReferrers', 'setGenerationTimeMs', 'setIgnoreClasses', 'setLinkClasses',
        'setLinkTrackingTimer', 'setPageViewId', 'setReferralCookieTimeout', 'setReferrerUrl',
        'setRequestContentType', 'setRequestMethod', 'setRequestQueueInterval', 'setSecureCookie',
        'setSessionCookieTimeout', 'setSiteId', 'setTrackerUrl', 'setUserId',
        'setVisitorCookieTimeout', 'setVisitorId', 'trackAllContentImpressions',
        'trackContentImpression', 'trackContentImpressionsWithinNode', 'trackContentInteraction',
        'trackContentInteractionNode', 'trackVisibleContentImpressions', 'addPlugin',
    ].forEach(function(method) {
        Tracker.prototype[method] = noop;
    });
    // Tracking calls take an optional callback as their last argument.
    [
        'ping', 'trackEcommerceCartUpdate', 'trackEcommerceOrder', 'trackEvent', 'trackGoal',
        'trackLink', 'trackPageView', 'trackRequest', 'trackSiteSearch',
    ].forEach(function(method) {
        Tracker.prototype[method] = function() {
            var callback = arguments[arguments.length - 1];
            if (typeof callback === 'function') {
                run(callback, this);
            }
        };
    });
    var constant = function(value) {
        return function() {
            return value;
        };
    };
    Object.assign(Tracker.prototype, {
        areCookiesEnabled: constant(false),
        getAttributionCampaignKeyword: constant(''),
        getAttributionCampaignName: constant(''),
        getAttributionInfo: constant([]),
        getAttributionReferrerTimestamp: constant(''),
        getAttributionReferrerUrl: constant(''),
        getCrossDomainLinkingUrlParameter: constant(''),
        getCurrentUrl: function() {
            return window.location.href;
        },
        getCustomData: constant(undefined),
        getCustomDimension: constant(undefined),
        getCustomVariable: constant(undefined),
        getEcommerceItems: constant({}),
        getLinkTrackingTimer: constant(0),
        getNumTrackedPageViews: constant(0),
        getPageViewId: constant(''),
        getRememberedConsent: constant(null),
        getRememberedCookieConsent: constant(null),
        getSiteId: function() {
            return this.siteId;
        },
        getTrackerUrl: function() {
            return this.trackerUrl;
        },
        getUserId: constant(''),
        getVisitorId: constant(''),
        getVisitorInfo: constant([]),
        hasConsent: constant(false),
        hasCookies: constant(false),
        hasRememberedConsent: constant(false),
        isConsentRequired: constant(false),
        isUserOptedOut: constant(true),
    });

    var asyncTracker = new Tracker();
    var trackers = [asyncTracker];

    // A command is ['method', arguments...] or a function run with `this` set
    // to the tracker.
    var execute = function(command) {
        if (typeof command === 'function') {
            run(command, asyncTracker);
            return;
        }
        if (!Array.isArray(command)) {
            return;
        }
        if (typeof command[0] === 'function') {
            run(command[0], asyncTracker, command.slice(1));
            return;
        }
        var method = asyncTracker[command[0]];
        if (typeof method === 'function') {
            method.apply(asyncTracker, command.slice(1));
        }
    };

    var matomo = {
        initialized: true,
        // Helpers the tracker offers to plugins and pages.
        DOM: {
            addEventListener: function(element, type, listener, useCapture) {
                element.addEventListener(type, listener, useCapture);
            },
            onLoad: function(callback) {
                if (document.readyState === 'complete') {
                    setTimeout(callback, 0);
                } else {
                    window.addEventListener('load', callback);
                }
            },
            onReady: function(callback) {
                if (document.readyState !== 'loading') {
                    setTimeout(callback, 0);
                } else {
                    document.addEventListener('DOMContentLoaded', callback);
                }
            },
            isNodeVisible: constant(false),
            isOrWasNodeVisible: constant(false),
        },
        addPlugin: noop,
        addTracker: function(trackerUrl, siteId) {
            var tracker = new Tracker(trackerUrl, siteId);
            trackers.push(tracker);
            return tracker;
        },
        disableQueueRequest: noop,
        getAsyncTracker: function() {
            return asyncTracker;
        },
        getAsyncTrackers: function() {
            return trackers.slice();
        },
        getTracker: function(trackerUrl, siteId) {
            return new Tracker(trackerUrl, siteId);
        },
        off: noop,
        on: noop,
        retryMissedPluginCalls: noop,
        setDebug: noop,
        trigger: noop,
    };

    var queued = Array.isArray(window._paq) ? window._paq.slice() : [];
    window._paq = {
        push: function() {
            Array.prototype.forEach.call(arguments, execute);
            return 0;
        },
    };
    window.Matomo = matomo;
    window.Piwik = matomo;
    queued.forEach(execute);

    // Hooks the page defines to run once the tracker has loaded.
    ['matomoAsyncInit', 'piwikAsyncInit'].forEach(function(hook) {
        if (typeof window[hook] === 'function') {
            run(window[hook], window);
        }
    });
})();
